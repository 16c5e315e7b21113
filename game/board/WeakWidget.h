#pragma once
// A link to a widget that reads as null once the widget is gone, through the live-object table;
// for links that must not outlive what they point at (the screen may remove a grid at any time).

#include <cstdint>

#include "core/expr/LiveObjectRegistry.h"
#include "widgets/Widget.h"

template <typename T>
class WeakWidget {
public:
    WeakWidget() = default;
    explicit WeakWidget(T* widget) { Set(widget); }

    void Set(T* widget) {
        mLiveId = widget != nullptr ? LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget,
                                                                 static_cast<Widget*>(widget))
                                    : 0;
    }
    void Clear() { mLiveId = 0; }
    // The widget, or null when none was set or it has been destroyed.
    T* Get() const {
        return mLiveId != 0 ? dynamic_cast<T*>(LiveObjectRegistry::ResolveWidget(mLiveId))
                            : nullptr;
    }

private:
    uint32_t mLiveId = 0;
};
