#pragma once
// Told when a check box changes. Weak link both ways (ListenerLink.h).

#include <cstdint>

#include "widgets/ListenerLink.h"

class CheckboxListener : public ListenerBase {
public:
    // The new state after a click or a telling SetChecked (main thread); id is the check box's.
    virtual void CheckboxChanged(uint32_t id, bool checked) { (void)id, (void)checked; }
};
