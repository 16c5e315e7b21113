#include "game/screens/ProfileNameWidget.h"

#include "core/expr/NamedConstants.h"
#include "game/data/ProfileRecord.h"
#include "game/screens/NameRule.h"
#include "game/screens/PlayerSelectMenu.h"
#include "graphics/Color.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"

namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;
constexpr char kEscape = 27;
constexpr char kDelete = 127;
constexpr int kSelectedFrame = 2;

}  // namespace

ProfileNameWidget::ProfileNameWidget(int x, int y, const ProfileRecord& record,
                                     PlayerSelectMenu* owner)
    : ButtonWidget(x, y, "profile_btn",
                   record.mName.empty() ? LocalizedTexts::Lookup("no_name") : record.mName, false),
      mOwner(owner),
      mNameEmpty(record.mName.empty()) {
    // Every state shows its label in the same font (a state without a font is never shown):
    // the rows are paper, so the unshadowed card font in the paper's ink.
    const Font* font = Fonts::Find("card");
    if (font == nullptr) {
        font = Fonts::Find("menu");
    }
    if (font != nullptr) {
        for (int state = kNormal; state <= kDisabled; ++state) {
            SetStateVisual(font, state);
        }
    }
    mLabelColor = Color(GetConstantValue("paper_ink_red").AsInt(),
                        GetConstantValue("paper_ink_green").AsInt(),
                        GetConstantValue("paper_ink_blue").AsInt());
    Move(static_cast<float>(x - mWidth / 2), static_cast<float>(y));
}

void ProfileNameWidget::ResetLook() {
    if (mNameEmpty) {
        SetLabel(LocalizedTexts::Lookup("no_name"));
    }
    GetVariables().Set("up_frame", ExprValue::FromInt(0));
    GetVariables().Set("over_frame", ExprValue::FromInt(1));
    PlayAnimationRef("button_init");
    QueueAnimationRef("button_refresh");
    MarkDirty();
}

void ProfileNameWidget::RestoreName(const std::string& name) {
    mNameEmpty = name.empty();
    SetLabel(mNameEmpty ? LocalizedTexts::Lookup("no_name") : name);
    MarkDirty();
}

void ProfileNameWidget::BeginEdit() {
    if (mNameEmpty) {
        SetLabel(LocalizedTexts::Lookup("enter_your_name"));
    }
    GetVariables().Set("up_frame", ExprValue::FromInt(kSelectedFrame));
    GetVariables().Set("over_frame", ExprValue::FromInt(kSelectedFrame));
    PlayAnimationRef("button_refresh");
    MarkDirty();
}

void ProfileNameWidget::KeyChar(char c) {
    if (c == kEscape) {
        // Before the hint goes: the screen decides, and may reset the row or leave.
        mOwner->LeaveByEscape();
        return;
    }
    if (mNameEmpty) {
        // The hint goes at the first key.
        SetLabel("");
    }
    if (NameAcceptsChar(mLabel, c)) {
        SetLabel(mLabel + c);
        mNameEmpty = false;
    } else if (c == kBackspace && !mLabel.empty()) {
        SetLabel(mLabel.substr(0, mLabel.size() - 1));
        mNameEmpty = mLabel.empty();
    } else if (c == kEnter) {
        mOwner->CommitName();
    } else if (static_cast<unsigned char>(c) >= ' ' && c != kDelete) {
        // A printable character the rule refused: the screen says why instead of dropping it.
        mOwner->NoteRefusedChar();
    }
    if (mLabel.empty()) {
        mNameEmpty = true;
        SetLabel(LocalizedTexts::Lookup("enter_your_name"));
    }
    MarkDirty();
}
