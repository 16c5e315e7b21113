#pragma once
// The reporting side of RemovalListener: one back-link to the listener, taken out of its set
// when this object is destroyed.

#include <cstdint>

#include "widgets/ListenerLink.h"
#include "widgets/RemovalListener.h"

class RemovalWidget {
public:
    RemovalListener* GetRemovalListener() const { return mRemovalListener.Get(); }
    // Tells the listener (if any) that the widget with this id was removed, then leaves its set.
    void ReportRemoval(uint32_t id);

private:
    friend class RemovalListener;
    ListenerSlot<RemovalListener> mRemovalListener;
};
