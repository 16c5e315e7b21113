#pragma once
// The reporting side of AnimationListener: a widget whose scripts are listened to holds this
// back-link (at most one listener at a time).

#include "widgets/AnimationListener.h"
#include "widgets/ListenerLink.h"

class AnimationSource {
public:
    AnimationListener* GetAnimationListener() const { return mAnimationListener.Get(); }
    // Leaves the current listener's set.
    void ClearAnimationListener() { mAnimationListener.Clear(); }

private:
    friend class AnimationListener;
    ListenerSlot<AnimationListener> mAnimationListener;
};
