#include "widgets/controls/Checkbox.h"

#include "graphics/Graphics.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"

Checkbox::Checkbox(Image* uncheckedImage, Image* uncheckedOverImage, Image* checkedImage,
                   Image* checkedOverImage, CheckboxListener* listener)
    : DynamicWidget(0, 0, nullptr, 1.0f),
      mUncheckedImage(uncheckedImage),
      mCheckedImage(checkedImage),
      mUncheckedOverImage(uncheckedOverImage),
      mCheckedOverImage(checkedOverImage) {
    mListener.Set(listener);
    mHighlightSound = LookupAssetTableB("Highlight");
    mClickSound = LookupAssetTableB("Button");
    mMouseVisible = true;
    mHandCursor = true;
}

void Checkbox::SetChecked(bool checked, bool tell) {
    mChecked = checked;
    if (tell) {
        if (CheckboxListener* listener = mListener.Get()) {
            listener->CheckboxChanged(mId, checked);
        }
    }
    MarkDirty();
}

Image* Checkbox::GetShownImage() const {
    if (mChecked) {
        if (mDisabled && mCheckedDisabledImage != nullptr) {
            return mCheckedDisabledImage;
        }
        return mIsOver && mCheckedOverImage != nullptr ? mCheckedOverImage : mCheckedImage;
    }
    if (mDisabled && mUncheckedDisabledImage != nullptr) {
        return mUncheckedDisabledImage;
    }
    return mIsOver && mUncheckedOverImage != nullptr ? mUncheckedOverImage : mUncheckedImage;
}

void Checkbox::Draw(Graphics* g) {
    if (Image* image = GetShownImage()) {
        g->DrawImage(image, 0.0f, 0.0f, 0);
    }
}

void Checkbox::PlaySound(int soundId) {
    if (!mPlaySounds || soundId < 0) {
        return;
    }
    if (WidgetHost* host = GetWidgetHost()) {
        host->PlaySoundEffect(soundId, -1, 1.0);
    }
}

void Checkbox::MouseDownButton(int x, int y, int button, int clickCount) {
    (void)x, (void)y, (void)button, (void)clickCount;
    mChecked = !mChecked;
    if (CheckboxListener* listener = mListener.Get()) {
        listener->CheckboxChanged(mId, mChecked);
    }
    PlaySound(mClickSound);
    MarkDirty();
}

void Checkbox::MouseEnter() {
    MarkDirty();
    PlaySound(mHighlightSound);
}

void Checkbox::MouseLeave() {
    MarkDirty();
}
