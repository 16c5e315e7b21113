#pragma once
// Told when a watched widget is removed from its parent for deletion. The listener keeps the set
// of widgets it watches; each widget keeps one back-link (RemovalWidget). Weak both ways.

#include <cstddef>
#include <cstdint>

#include "widgets/ListenerLink.h"

class RemovalWidget;

class RemovalListener : public ListenerBase {
public:
    // Makes this the widget's removal listener; the widget leaves its former listener's set.
    void ListenTo(RemovalWidget* widget);
    size_t GetWatchedCount() const { return GetLinkCount(); }

    // A watched widget was removed for deletion; it has already left the set.
    virtual void OnChildRemoved(uint32_t id) { (void)id; }
};
