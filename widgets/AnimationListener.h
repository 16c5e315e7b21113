#pragma once
// What an animated widget reports about its scripts: the end, a persisting script, and named
// events. The listener keeps the set of widgets it listens to; each widget keeps one back-link
// (its AnimationSource slot). Weak both ways.

#include <cstdint>
#include <string>

#include "widgets/ListenerLink.h"

class AnimationSource;

class AnimationListener : public ListenerBase {
public:
    // Makes this the widget's listener; the widget leaves its former listener's set. Listening to
    // a widget twice leaves one entry.
    void ListenTo(AnimationSource* widget);
    // Number of widgets this listener listens to.
    size_t GetListenedCount() const { return GetLinkCount(); }

    // Called on the main thread from the widget's update with the widget's id: its script ended,
    // went into "persist", or sent a named event ("signal"). The listener may remove the widget.
    virtual void AnimationEnded(uint32_t id) { (void)id; }
    virtual void AnimationPersisted(uint32_t id) { (void)id; }
    virtual void AnimationEvent(uint32_t id, const std::string& message) {
        (void)id, (void)message;
    }
};
