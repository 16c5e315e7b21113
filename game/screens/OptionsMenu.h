#pragma once
// The options dialog (from the main menu, script "options_menu") and the pause dialog (from play,
// script "pause_menu"). The script places the sliders (music, sound, mouse speed) and check boxes
// (tips, cursors, tool toggle, numbers, full screen, stretched screen) with "add-slider" and
// "add-checkbox"; volumes and the mouse speed change at once, the profile's flags too, and the
// screen mode, stretch and cursors on the next button click. Its buttons report "close",
// "credits", "main_menu", "desk" and "restart". Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "menus/DialogMenu.h"
#include "widgets/controls/CheckboxListener.h"
#include "widgets/controls/SliderListener.h"

class Checkbox;
class Slider;

class OptionsMenu : public DialogMenu, public SliderListener, public CheckboxListener {
public:
    // caller is "main-menu" (the options) or "playing" (the pause dialog); mode and set are kept.
    OptionsMenu(const std::string& gameName, const std::string& caller, int mode, int set);

    const std::string& GetCaller() const { return mCaller; }
    Slider* GetMusicSlider() const { return mMusic; }
    Slider* GetSfxSlider() const { return mSfx; }
    Slider* GetMouseSlider() const { return mMouse; }
    // The check box of a script type ("tips", "cursors", "swap", "numbers", "full", "stretch");
    // null until the script added it.
    Checkbox* GetCheckbox(const std::string& type) const;

    // "add-slider" and "add-checkbox".
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    // Busy only while the dialog fades in or out, or its script and widgets move.
    bool HasScheduledWork() const override;
    void SliderValueChanged(Slider* slider, double value) override;
    void SliderDragEnded(Slider* slider, double value) override;
    void CheckboxChanged(uint32_t id, bool checked) override;
    // Any button applies the screen mode, the stretch and the cursors.
    void ButtonDepress(uint32_t id) override;
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    void Draw(Graphics* g) override;

    // Whether the sound slider's report of value rings "Bell", the volume being volume: once
    // for a click on the track, never for a drag or its release.
    static bool RingsBell(double volume, double value, bool dragging);
    // The mouse speed a slider value gives (1 to 20) and back.
    static int MouseSpeedFromValue(double value);
    static double ValueFromMouseSpeed(int speed);

private:
    void AddSlider();
    void AddCheckbox();
    void ApplyDisplaySettings();
    // Writes the profiles and the settings.
    void SaveChoices();
    // The application's windowed flag (true without an application).
    static bool IsWindowed();
    // Stretch is shown only with full screen ticked and a stretched size that differs.
    void RefreshStretchBox();
    void RefreshMouseSlider();
    // Notes where the script put a control (y: its top; scriptY: the row the script named).
    void NotePlaced(Widget* control, float y, float scriptY);
    // The rows below the mouse slider's close up while it is hidden, so a window's options show
    // no empty row; they make room again when it shows.
    void LayOutRows();

    std::string mGameName;
    std::string mCaller;
    int mMode;
    int mSet;
    Slider* mMusic;  // children of this dialog
    Slider* mSfx;
    Slider* mMouse;
    bool mMusicPlaced = false;
    bool mSfxPlaced = false;
    bool mMousePlaced = false;
    Checkbox* mFull = nullptr;
    Checkbox* mCursors = nullptr;
    Checkbox* mNumbers = nullptr;
    Checkbox* mTips = nullptr;
    Checkbox* mSwap = nullptr;
    Checkbox* mStretch = nullptr;
    bool mStretchDisabled = false;
    bool mLeaving = false;
    struct PlacedControl {
        Widget* control;
        float y;
        float scriptY;
    };
    std::vector<PlacedControl> mPlaced;
    float mMouseRowY = 0.0f;
};
