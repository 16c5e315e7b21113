#pragma once
// A formatted number that counts, step by step, towards the value it follows: a named variable of
// a scripted widget, a field handle of the field registry ("_ptr" values), or a fixed value. The
// value is read through the live-object and field registries on every update, so a counter whose
// source is gone stops where it stands instead of reading freed memory. Each step may play a
// sound (one for counting up, one for counting down). Main thread only.

#include <cstdint>
#include <string>

#include "widgets/anim/DynamicWidget.h"

class AnimationWidget;
class Font;

class NumericalTextWidget : public DynamicWidget {
public:
    // What the counter follows.
    class Binding {
    public:
        // The variable of that name in host's variables (host may be null: none).
        static Binding Variable(AnimationWidget* host, const std::string& name);
        // A handle of the field registry (an integer or a real field).
        static Binding Handle(int32_t handle);
        static Binding Fixed(int value);
        // The current value; false (and *out untouched) when the source is gone or holds none.
        bool Read(int* out) const;

    private:
        enum class Kind { kFixed, kVariable, kHandle };
        Kind mKind = Kind::kFixed;
        int mValue = 0;        // kFixed
        uint32_t mHostId = 0;  // kVariable: the host through the live-object registry
        std::string mName;     // kVariable
        int32_t mHandle = 0;   // kHandle
    };

    // format is a printf-style text with one integer conversion, checked before use (it may come
    // from a script or a localized text). step <= 0 jumps to the value at once; ticksPerStep is
    // the number of fixed updates between steps. The height is the font's.
    NumericalTextWidget(int x, int y, int justification, const std::string& fontName,
                        const std::string& format, int step, int ticksPerStep, Binding bound);
    ~NumericalTextWidget() override;

    // Sound ids (-1: none) played once per step up, respectively down.
    void SetSounds(int upSound, int downSound);
    int GetDisplayed() const { return mDisplayed; }
    const std::string& GetText() const { return mText; }
    bool IsChanging() const { return mChanging; }

    // Fills the format with the displayed value.
    virtual void FormatText();

    void Update() override;
    void Draw(Graphics* g) override;
    const PropertyTable& GetPropertyTable() const override;
    static const PropertyTable& Properties();

private:
    int mUpSound = -1;
    int mDownSound = -1;
    std::string mFormat;
    Font* mFont = nullptr;
    int mJustification;
    Binding mBound;
    int mDisplayed = 0;
    int mStep;
    int mTicksPerStep;
    std::string mText;
    bool mChanging = false;
    int mTickCounter = 0;
    bool mFormatErrorLogged = false;
};
