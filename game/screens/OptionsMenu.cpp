#include "game/screens/OptionsMenu.h"

#include <algorithm>

#include "app/GameApp.h"
#include "core/expr/NamedConstants.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "menus/NoticeMenu.h"
#include "widgets/NameLookups.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/controls/Slider.h"
#include "widgets/script/AnimationCommand.h"

namespace {

constexpr int kShadeAlpha = 150;
constexpr float kIconOffsetX = 50.0f;
constexpr float kIconOffsetY = 6.0f;
constexpr float kLabelOffsetX = 50.0f;
constexpr float kLabelOffsetY = 30.0f;
constexpr int kMaxMouseSpeedSteps = 19;

Slider* MakeSlider(SliderListener* listener) {
    auto* slider =
        new Slider(LookupAssetTableA("Slider"), LookupAssetTableA("Slider_Thumb"), listener);
    // Shown where the script places it; a slider the script leaves out stays hidden.
    slider->SetVisible(false);
    return slider;
}

}  // namespace

int OptionsMenu::MouseSpeedFromValue(double value) {
    return static_cast<int>(value * kMaxMouseSpeedSteps + 1.5);
}

double OptionsMenu::ValueFromMouseSpeed(int speed) {
    return static_cast<double>(speed - 1) / kMaxMouseSpeedSteps;
}

bool OptionsMenu::RingsBell(double volume, double value, bool dragging) {
    // The slider also reports its value on every release: a click on the track has rung at its
    // press already, and a drag rings at no point, so only a new value set by a click rings.
    return value != volume && !dragging;
}

bool OptionsMenu::IsWindowed() {
    return gApp == nullptr || gApp->mWindowed;
}

OptionsMenu::OptionsMenu(const std::string& gameName, const std::string& caller, int mode, int set)
    : DialogMenu(nullptr),
      mGameName(gameName),
      mCaller(caller),
      mMode(mode),
      mSet(set),
      mMusic(MakeSlider(this)),
      mSfx(MakeSlider(this)),
      mMouse(MakeSlider(this)) {
    VariableTable& vars = GetVariables();
    vars.Set("title", ExprValue::FromString(LocalizedTexts::Lookup("options_title")));
    vars.Set("title_y", GetConstantValue("dialog_title_y"));
    QueueAnimationRef(caller == "main-menu" ? "options_menu" : "pause_menu");
    AddWidget(mMusic);
    AddWidget(mSfx);
    AddWidget(mMouse);
}

Checkbox* OptionsMenu::GetCheckbox(const std::string& type) const {
    if (type == "full")
        return mFull;
    if (type == "cursors")
        return mCursors;
    if (type == "numbers")
        return mNumbers;
    if (type == "tips")
        return mTips;
    if (type == "swap")
        return mSwap;
    if (type == "stretch")
        return mStretch;
    return nullptr;
}

CommandAnswer OptionsMenu::HandleCommand(const AnimationCommand& command) {
    // A word the screen acted on is answered as taken, so the script engine does not also look
    // for it among its own words and name it as unknown.
    if (command.mCommand == "add-slider") {
        AddSlider();
        return CommandAnswer::kHandled;
    }
    if (command.mCommand == "add-checkbox") {
        AddCheckbox();
        return CommandAnswer::kHandled;
    }
    return CommandAnswer::kNotHandled;
}

void OptionsMenu::AddSlider() {
    const std::string type = GetParamString("type");
    const float x = static_cast<float>(GetParamInt("x"));
    const float y = static_cast<float>(GetParamInt("y"));
    Slider* slider = nullptr;
    if (type == "music") {
        slider = mMusic;
        slider->SetValue(gApp != nullptr ? gApp->GetChannelVolume("music") : 0.0);
        mMusicPlaced = true;
    } else if (type == "sfx") {
        slider = mSfx;
        slider->SetValue(gApp != nullptr ? gApp->GetSfxVolume() : 0.0);
        mSfxPlaced = true;
    } else if (type == "mouse") {
        slider = mMouse;
        slider->SetValue(ValueFromMouseSpeed(gApp != nullptr ? gApp->GetMouseSpeed() : 1));
        mMousePlaced = true;
        mMouseRowY = y;
    } else {
        return;
    }
    // The track stands where the script says; the control reaches over the thumb, which is taller,
    // so the whole of what is drawn takes the pointer (the track is drawn centred in it).
    const Image* track = slider->mTrackImage;
    const Image* thumb = slider->mThumbImage;
    const int trackHeight = track != nullptr ? track->GetHeight() : 0;
    const int height = std::max(trackHeight, thumb != nullptr ? thumb->GetCelHeight() : 0);
    slider->Resize(x, y - static_cast<float>((height - trackHeight) / 2),
                   track != nullptr ? track->GetWidth() : 0, height);
    slider->SetVisible(slider != mMouse || !IsWindowed());
    NotePlaced(slider, slider->mY, y);
    LayOutRows();
    MarkDirty();
}

void OptionsMenu::NotePlaced(Widget* control, float y, float scriptY) {
    for (PlacedControl& placed : mPlaced) {
        if (placed.control == control) {
            placed.y = y;
            placed.scriptY = scriptY;
            return;
        }
    }
    mPlaced.push_back({control, y, scriptY});
}

void OptionsMenu::LayOutRows() {
    // The rows below close up to the spacing they keep among themselves: from the row above the
    // slider's to the one below it, less the step from that one to the next.
    float shift = 0.0f;
    if (mMousePlaced && !mMouse->mVisible) {
        std::vector<float> rows;
        for (const PlacedControl& placed : mPlaced) {
            rows.push_back(placed.scriptY);
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        const auto below = std::upper_bound(rows.begin(), rows.end(), mMouseRowY);
        if (below != rows.end()) {
            shift = *below - mMouseRowY;
            const auto above = std::lower_bound(rows.begin(), rows.end(), mMouseRowY);
            if (above != rows.begin() && below + 1 != rows.end()) {
                shift = std::max(0.0f, (*below - *(above - 1)) - (*(below + 1) - *below));
            }
        }
    }
    for (const PlacedControl& placed : mPlaced) {
        const float y = placed.scriptY > mMouseRowY ? placed.y - shift : placed.y;
        if (placed.control->mY != y) {
            placed.control->Move(placed.control->mX, y);
        }
    }
}

void OptionsMenu::AddCheckbox() {
    const std::string type = GetParamString("type");
    Checkbox** slot = nullptr;
    bool checked = false;
    const PlayerState* state = GetCurrentPlayerState();
    if (type == "tips") {
        slot = &mTips;
        checked = state != nullptr && state->mDisableTips;
    } else if (type == "cursors") {
        slot = &mCursors;
        checked = gApp != nullptr && gApp->mCustomCursors;
    } else if (type == "swap") {
        slot = &mSwap;
        checked = state != nullptr && state->mToggleMode;
    } else if (type == "numbers") {
        slot = &mNumbers;
        checked = state != nullptr && state->mShowNumbers;
    } else if (type == "full") {
        slot = &mFull;
        checked = !IsWindowed();
    } else if (type == "stretch") {
        slot = &mStretch;
        checked = gApp != nullptr && gApp->mStretchScreen;
    } else {
        return;
    }
    if (*slot == nullptr) {
        *slot = new Checkbox(LookupAssetTableA("Checkbox"), LookupAssetTableA("Checkbox_hover"),
                             LookupAssetTableA("Checkbox_checked"),
                             LookupAssetTableA("Checkbox_Checked_hover"), this);
        AddWidget(*slot);
    }
    const Image* look = (*slot)->mUncheckedImage;
    (*slot)->Resize(static_cast<float>(GetParamInt("x")), static_cast<float>(GetParamInt("y")),
                    look != nullptr ? look->GetWidth() : 0,
                    look != nullptr ? look->GetHeight() : 0);
    (*slot)->SetChecked(checked, false);
    NotePlaced(*slot, (*slot)->mY, (*slot)->mY);
    LayOutRows();
    if (type == "stretch") {
        mStretchDisabled =
            gApp == nullptr || gApp->mStretchedDisplaySize == gApp->mNormalDisplaySize;
        (*slot)->SetDisabled(mStretchDisabled);
        RefreshStretchBox();
    }
    MarkDirty();
}

void OptionsMenu::RefreshStretchBox() {
    if (mStretch != nullptr) {
        mStretch->SetVisible(!mStretchDisabled && mFull != nullptr && mFull->IsChecked());
    }
}

void OptionsMenu::RefreshMouseSlider() {
    mMouse->SetVisible(mMousePlaced && mFull != nullptr && mFull->IsChecked());
    LayOutRows();
}

void OptionsMenu::SliderValueChanged(Slider* slider, double value) {
    GameApp* app = App();
    if (app == nullptr) {
        return;
    }
    if (slider == mMusic) {
        app->SetChannelVolume("music", value);
    } else if (slider == mSfx) {
        const bool ring = RingsBell(app->GetSfxVolume(), value, slider->IsDragging());
        app->SetSfxVolume(value);
        if (ring) {
            app->PlaySoundEffectByName("Bell");
        }
    } else if (slider == mMouse) {
        app->SetMouseSpeed(MouseSpeedFromValue(value));
    }
}

void OptionsMenu::SliderDragEnded(Slider* slider, double value) {
    (void)value;
    if (slider == mMouse && gApp != nullptr) {
        slider->SetValue(ValueFromMouseSpeed(gApp->GetMouseSpeed()));
        slider->MarkDirty();
    }
}

void OptionsMenu::CheckboxChanged(uint32_t id, bool checked) {
    PlayerState* state = GetCurrentPlayerState();
    if (mTips != nullptr && id == mTips->mId) {
        if (state != nullptr) {
            state->mDisableTips = checked;
        }
    } else if (mSwap != nullptr && id == mSwap->mId) {
        if (state != nullptr) {
            state->mToggleMode = checked;
        }
    } else if (mNumbers != nullptr && id == mNumbers->mId) {
        if (state != nullptr) {
            state->mShowNumbers = checked;
        }
    } else if (mFull != nullptr && id == mFull->mId) {
        if (!checked && gApp != nullptr && gApp->mForbidWindowed) {
            ShowAsDialog(new NoticeMenu("no_windowed_mode", nullptr, "menu", 2));
            mFull->SetChecked(true, false);
        }
        RefreshMouseSlider();
        RefreshStretchBox();
    }
    MarkDirty();
}

void OptionsMenu::ApplyDisplaySettings() {
    if (gApp == nullptr) {
        return;
    }
    // A script that left a box out leaves its setting as it is.
    if (mFull != nullptr) {
        gApp->SwitchScreenMode(!mFull->IsChecked(), false);
    }
    if (mStretch != nullptr) {
        gApp->SetStretchScreen(mStretch->IsChecked());
    }
    if (mCursors != nullptr) {
        gApp->SetCustomCursorsEnabled(mCursors->IsChecked());
    }
}

void OptionsMenu::ButtonDepress(uint32_t id) {
    // Applied before the button's event, so that the settings it saves hold them.
    ApplyDisplaySettings();
    DialogMenu::ButtonDepress(id);
}

void OptionsMenu::SaveChoices() {
    // The profile's flags and the application's volumes, speed and screen choices: each on disk
    // as the dialog hands over, not only at quit.
    SaveProfiles();
    if (gApp != nullptr) {
        gApp->SaveSettings();
    }
}

void OptionsMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (mLeaving) {
        return;
    }
    if (name == "close") {
        SaveChoices();
        mLeaving = true;
        MarkForRemoval();
    } else if (name == "credits") {
        SaveChoices();
        mLeaving = true;
        // The credits replace the screen beneath too, as they do when the main menu opens them.
        OpenInPlaceOfAll(OpenCredits);
    } else if (name == "main_menu") {
        SaveChoices();
        OpenConfirmMainMenu(this);
    } else if (name == "desk") {
        SaveChoices();
        const PlayerState* state = GetCurrentPlayerState();
        const std::string game = state != nullptr && !state->mGameName.empty()
                                     ? state->mGameName
                                     : std::string(kDefaultGameName);
        OpenConfirmPuzzleSelect(game, state != nullptr ? state->mMode : mMode,
                                state != nullptr ? state->mCurrentCountry : mSet, this);
    } else if (name == "restart") {
        SaveChoices();
        OpenConfirmRestart(this);
    } else {
        DialogMenu::OnEvent(name, parameter, object);
    }
}

void OptionsMenu::Draw(Graphics* g) {
    const int width = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int height = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    g->SetColor(Color(0, 0, 0, kShadeAlpha));
    g->FillRect(static_cast<float>(static_cast<int>(-mX)),
                static_cast<float>(static_cast<int>(-mY)), static_cast<float>(width),
                static_cast<float>(height));
    g->SetColor(Color(255, 255, 255));
    DialogMenu::Draw(g);

    // Icons and labels stand on the paper card: drawn in its ink. The icons are white shapes,
    // so the tint gives them the ink's colour.
    const Color ink(GetConstantValue("paper_ink_red").AsInt(),
                    GetConstantValue("paper_ink_green").AsInt(),
                    GetConstantValue("paper_ink_blue").AsInt());
    const bool colorize = g->GetColorizeImages();
    g->SetColorizeImages(true);
    g->SetColor(ink);
    const auto icon = [g](const char* name, const Slider* slider) {
        if (Image* image = LookupAssetTableA(name)) {
            // Beside the track, which is centred in the slider's height.
            const int trackHeight =
                slider->mTrackImage != nullptr ? slider->mTrackImage->GetHeight() : 0;
            const float trackY =
                slider->mY + static_cast<float>((slider->mHeight - trackHeight) / 2);
            g->DrawImage(image, slider->mX - kIconOffsetX, trackY - kIconOffsetY);
        }
    };
    if (mMusicPlaced) {
        icon("IconMusicVolume", mMusic);
    }
    if (mSfxPlaced) {
        icon("IconSoundVolume", mSfx);
    }
    if (mMousePlaced && mMouse->mVisible) {
        icon("IconMouseSpeed", mMouse);
    }
    g->SetColorizeImages(colorize);

    Font* font = Fonts::Find("card");
    if (font == nullptr) {
        font = Fonts::Find("menu");
    }
    if (font == nullptr) {
        return;
    }
    g->SetFont(font);
    g->SetColor(ink);
    // A label goes with its box: a hidden box (the stretch box in a window, or with nothing to
    // stretch) takes no label that would promise a control.
    const auto label = [g](const Checkbox* box, const char* key) {
        if (box != nullptr && box->mVisible) {
            g->DrawString(LocalizedTexts::Lookup(key), box->mX + kLabelOffsetX,
                          box->mY + kLabelOffsetY);
        }
    };
    label(mTips, "disable_tips");
    label(mCursors, "custom_cursors");
    label(mSwap, "toggle_mode");
    label(mNumbers, "toggle_numbers");
    label(mFull, "full_screen");
    label(mStretch, "stretch_screen");
}

bool OptionsMenu::HasScheduledWork() const {
    return GetFadeState() == kFadingIn || GetFadeState() == kFadingOut || ScriptHasScheduledWork();
}
