#include "widgets/AnimationListener.h"

#include "widgets/AnimationSource.h"

void AnimationListener::ListenTo(AnimationSource* widget) {
    if (widget != nullptr) {
        widget->mAnimationListener.Set(this);
    }
}
