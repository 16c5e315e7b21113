#include "widgets/controls/ButtonWidget.h"

#include <algorithm>

#include "core/util/StringUtil.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "graphics/fonts/SysFont.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"

ButtonWidget::ButtonWidget(int x, int y, const std::string& type, const std::string& label,
                           bool localize)
    : AnimationWidget(x, y, type.empty() ? nullptr : LookupAssetTableA(type), 1.0f),
      mLabel(localize ? LocalizedTexts::Lookup(label) : label),
      mType(type) {
    mMouseVisible = true;
    mHandCursor = true;
    mHighlightSound = LookupAssetTableB("Highlight");
    mClickSound = LookupAssetTableB("Button");
    if (const Font* font = Fonts::Find("button")) {
        mStateFonts[kNormal] = font->Duplicate();
    }
    mLabelFont = mStateFonts[kNormal].get();
    if (mImage == nullptr && mLabelFont != nullptr && !mLabel.empty()) {
        mWidth = mLabelFont->StringWidth(mLabel);
        mHeight = mLabelFont->GetHeight();
    }
    Publish("disabled", false);
    Publish("mouse_over", false);
    Publish("mouse_down", false);
    BuildEventName("init");
}

ButtonWidget::~ButtonWidget() = default;

void ButtonWidget::SetStateVisual(const Font* font, int state) {
    if (state < 0 || state > kDisabled) {
        return;
    }
    auto& slot = mStateFonts[static_cast<size_t>(state)];
    slot = font != nullptr ? font->Duplicate() : nullptr;
    if (state == mState) {
        mLabelFont = slot.get();
        MarkDirty();
    }
    RefreshState();
}

void ButtonWidget::SetLabel(const std::string& label) {
    if (label != mLabel) {
        mLabel = label;
        MarkDirty();
    }
}

void ButtonWidget::RefreshState() {
    int state = kNormal;
    if (mDisabled) {
        state = kDisabled;
    } else if (mIsDown && mIsOver) {
        state = kDown;
    } else if (mIsOver) {
        state = kOver;
    }
    if (mUseStateFrames && mImage != nullptr) {
        // Normal, over, down and disabled cells; an image of three cells shows down when
        // disabled too.
        const int frame = std::min(state, mImage->GetCelCount() - 1);
        if (frame != mFrames.mFrame) {
            SetFrame(frame);
        }
    }
    if (state == mState || mStateFonts[static_cast<size_t>(state)] == nullptr) {
        return;
    }
    mState = state;
    mLabelFont = mStateFonts[static_cast<size_t>(state)].get();
    MarkDirty();
}

void ButtonWidget::BuildEventName(const std::string& event) {
    if (mType.empty()) {
        return;
    }
    std::string key = StrFormat("%s_%s", mType.c_str(), event.c_str());
    if (!ContainsNamedEntry(key)) {
        key = StrFormat("button_%s", event.c_str());
    }
    if (ContainsNamedEntry(key)) {
        ReplaceOrQueueAnimationRef(key);
    }
}

void ButtonWidget::Publish(const char* name, bool value) {
    GetVariables().Set(name, ExprValue::FromBool(value));
}

void ButtonWidget::PlaySound(int soundId) {
    WidgetHost* host = GetWidgetHost();
    if (mPlaySounds && !mDisabled && soundId >= 0 && host != nullptr) {
        host->PlaySample(soundId);
    }
}

bool ButtonWidget::GetProperty(const std::string& name, ExprValue* out) const {
    if (name == "type") {
        *out = ExprValue::FromString(mType);
        return true;
    }
    // The states a parent's expressions read ("btn.disabled"); the same values the button
    // publishes to its own scripts.
    if (name == "disabled") {
        *out = ExprValue::FromBool(mDisabled);
        return true;
    }
    if (name == "mouse_over") {
        *out = ExprValue::FromBool(mIsOver);
        return true;
    }
    if (name == "mouse_down") {
        *out = ExprValue::FromBool(mIsDown);
        return true;
    }
    return AnimationWidget::GetProperty(name, out);
}

void ButtonWidget::SetDisabled(bool disabled) {
    Publish("disabled", disabled);
    BuildEventName(disabled ? "disabled" : "enabled");
    // Stored before the state is refreshed, so that the refresh sees the new value.
    AnimationWidget::SetDisabled(disabled);
    RefreshState();
}

void ButtonWidget::MouseEnter() {
    PlaySound(mHighlightSound);
    Publish("mouse_over", mIsOver);
    BuildEventName("hover");
    RefreshState();
    AnimationWidget::MouseEnter();
}

void ButtonWidget::MouseLeave() {
    Publish("mouse_over", mIsOver);
    BuildEventName("leave");
    RefreshState();
    AnimationWidget::MouseLeave();
}

void ButtonWidget::MouseDown(int x, int y, int clickCount) {
    const bool accepted = clickCount == 1 || (mAcceptMultiClicks && clickCount > 1);
    if (!accepted) {
        mIsDown = false;
        return;
    }
    PlaySound(mClickSound);
    Publish("mouse_down", true);
    BuildEventName("down");
    RefreshState();
    AnimationWidget::MouseDown(x, y, clickCount);
}

void ButtonWidget::MouseUp(int x, int y) {
    Publish("mouse_down", false);
    BuildEventName("up");
    RefreshState();
    AnimationWidget::MouseUp(x, y);
}

Font* ButtonWidget::EnsureLabelFont() {
    if (mLabelFont == nullptr) {
        if (mFallbackFont == nullptr) {
            mFallbackFont = std::make_unique<SysFont>("Arial Unicode MS", 10);
        }
        mLabelFont = mFallbackFont.get();
    }
    return mLabelFont;
}

void ButtonWidget::Draw(Graphics* g) {
    AnimationWidget::Draw(g);
    if (mLabel.empty()) {
        return;
    }
    Font* font = EnsureLabelFont();
    g->SetFont(font);
    g->SetColor(mLabelColor);
    const int w = mLabelWidth == 0 ? mWidth : (mLabelWidth < 0 ? 4096 : mLabelWidth);
    int x = 0;
    if (mJustification == 0) {
        x = (mWidth - w) / 2;
    } else if (mJustification == 1) {
        x = mWidth - w;
    }
    const float ascent = font->GetAscent();
    const int wrappedHeight = g->GetWordWrappedHeight(w, mLabel, -1, nullptr);
    const float top = (static_cast<float>(mHeight) + ascent - ascent / 6.0f - 1.0f) * 0.5f +
                      static_cast<float>(mLabelOffsetY);
    const float shift =
        static_cast<float>(wrappedHeight - (font->GetHeight() - font->GetAscentPadding())) * 0.5f;
    int y = static_cast<int>(top - shift);
    x += mLabelOffsetX;
    if (mIsDown && !mDisabled) {
        x += mDownOffsetX;
        y += mDownOffsetY;
    }
    g->DrawStringJustified(static_cast<float>(x), static_cast<float>(y), mLabel, w, mJustification);
}
