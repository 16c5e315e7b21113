// When an animated widget is at rest, so that the application may sleep until the next event.

#include <typeinfo>

#include "widgets/anim/AnimationWidget.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/anim/RectWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ActiveWidget.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/controls/HyperlinkWidget.h"
#include "widgets/controls/Slider.h"

bool DynamicWidget::IsAtRest() const {
    return !(mIsDown && mIsOver) && !IsAnimating() && mModifiers.GetControllerCount() == 0 &&
           !mModifiers.HasEffects() && !mFrames.IsRunning() && !mMaskFrames.IsRunning() &&
           !(mShader && mVisible) && !mRemoveWhenDone && !mHideWhenDone && !mClearFlagWhenDone &&
           !mResetEffectsWhenDone;
}

bool DynamicWidget::HasScheduledWork() const {
    // Classes derived from this one that add updates of their own must answer for themselves;
    // until they do they count as busy.
    const std::type_info& type = typeid(*this);
    if (type != typeid(DynamicWidget) && type != typeid(Checkbox) && type != typeid(Slider) &&
        type != typeid(TextLabel) && type != typeid(RectWidget)) {
        return true;
    }
    return AnimatedStateHasScheduledWork();
}

bool DynamicWidget::AnimatedStateHasScheduledWork() const {
    return !IsAtRest() || ChildrenHaveScheduledWork();
}

bool AnimationWidget::HasScheduledWork() const {
    const std::type_info& type = typeid(*this);
    if (type != typeid(AnimationWidget) && type != typeid(ButtonWidget) &&
        type != typeid(HyperlinkWidget) && type != typeid(ActiveWidget)) {
        return true;
    }
    return ScriptHasScheduledWork();
}

bool AnimationWidget::ScriptHasScheduledWork() const {
    // A finished, persisting or parked script, or one waiting for a menu or a mouse event
    // without a time-out, moves only when an event comes; every other wait is checked on each
    // update.
    bool scriptAtRest =
        IsIdle() || mRunState == kPersist || mRunState == kParked || mRunState == kNoticeMenu;
    if (mRunState >= kWaitMouseUp && mRunState <= kWaitMouseLeave) {
        scriptAtRest = mTimeOut <= 0.0f;
    }
    return !scriptAtRest || !IsAtRest() || ChildrenHaveScheduledWork();
}
