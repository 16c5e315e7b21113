#pragma once
// A two-state box drawn from images (plain, pointer over, disabled; each for checked and
// unchecked), toggled by any press and reporting to its CheckboxListener. Main thread only.

#include "widgets/ListenerLink.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/controls/CheckboxListener.h"

class Checkbox : public DynamicWidget {
public:
    // Images are not owned (the asset tables keep them); listener may be null.
    Checkbox(Image* uncheckedImage, Image* uncheckedOverImage, Image* checkedImage,
             Image* checkedOverImage, CheckboxListener* listener);

    // Stores; tells the listener when tell is set.
    virtual void SetChecked(bool checked, bool tell);
    virtual bool IsChecked() const { return mChecked; }
    void SetListener(CheckboxListener* listener) { mListener.Set(listener); }
    // The image the box shows now.
    Image* GetShownImage() const;

    void Draw(Graphics* g) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseEnter() override;
    void MouseLeave() override;

    bool mPlaySounds = true;
    int mHighlightSound = -1;
    int mClickSound = -1;
    Image* mUncheckedImage;
    Image* mCheckedImage;
    Image* mUncheckedOverImage;
    Image* mCheckedOverImage;
    Image* mUncheckedDisabledImage = nullptr;
    Image* mCheckedDisabledImage = nullptr;

private:
    void PlaySound(int soundId);

    ListenerSlot<CheckboxListener> mListener;
    bool mChecked = false;
};
