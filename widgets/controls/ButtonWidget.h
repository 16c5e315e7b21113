#pragma once
// The standard push button: its look is the image named by its type, its label is drawn with the
// font of its state (normal, over, down, disabled), and each state change publishes the booleans
// "disabled", "mouse_over" and "mouse_down" and plays the script "<type>_<event>" (or
// "button_<event>") for the events "init", "disabled", "enabled", "hover", "leave", "down" and
// "up". The booleans are script variables of the button. Clicks reach the owner through the button
// listener. Main thread only.

#include <array>
#include <memory>
#include <string>

#include "graphics/Color.h"
#include "widgets/anim/AnimationWidget.h"

class Font;

class ButtonWidget : public AnimationWidget {
public:
    enum State { kNormal = 0, kOver = 1, kDown = 2, kDisabled = 3 };

    // localize: label is an id of the localized text table. The image is the asset named type
    // (none when absent); without one the button takes its label's size in the "button" font.
    ButtonWidget(int x, int y, const std::string& type, const std::string& label, bool localize);
    ~ButtonWidget() override;

    // The font of the normal state (a copy is kept; null removes it).
    void SetDefaultVisual(const Font* font) { SetStateVisual(font, kNormal); }
    // The font of a state (a copy is kept; null removes it). A state without a font is never
    // shown: the button keeps its previous state and font.
    void SetStateVisual(const Font* font, int state);
    // Plays the event's script: "<type>_<event>" when the table has it, else "button_<event>".
    void BuildEventName(const std::string& event);

    // The text drawn on the button in the label font; a change redraws it.
    void SetLabel(const std::string& label);
    const std::string& GetLabel() const { return mLabel; }
    const std::string& GetType() const { return mType; }
    int GetState() const { return mState; }
    Font* GetLabelFont() const { return mLabelFont; }

    bool GetProperty(const std::string& name, ExprValue* out) const override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y) override;

    int mJustification = 0;  // 0 centred, 1 right, else left
    bool mPlaySounds = true;
    bool mAcceptMultiClicks = false;
    int mHighlightSound = -1;
    int mClickSound = -1;
    int mLabelWidth = 0;  // 0: the button's width; negative: 4096
    int mLabelOffsetX = 0;
    int mLabelOffsetY = 0;
    int mDownOffsetX = 1;
    int mDownOffsetY = 1;
    // The image's cells are the state pictures (normal, over, down, disabled).
    bool mUseStateFrames = false;
    // The label's colour: white on the game's dark buttons, ink on a paper one.
    Color mLabelColor = Color(255, 255, 255);

protected:
    // Publishes one of the state booleans as a script variable.
    void Publish(const char* name, bool value);
    // The label font, made when it is first needed for a label without a font of its own.
    Font* EnsureLabelFont();

    std::string mLabel;
    std::string mType;
    Font* mLabelFont = nullptr;

private:
    void RefreshState();
    void PlaySound(int soundId);

    std::array<std::unique_ptr<Font>, 4> mStateFonts;
    std::unique_ptr<Font> mFallbackFont;  // a system font for a label that has no font
    int mState = kNormal;
};
