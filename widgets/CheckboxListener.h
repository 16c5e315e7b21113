#pragma once
// Told when a check box changes. Weak link both ways (ListenerLink.h).

#include <cstdint>

#include "widgets/ListenerLink.h"

class CheckboxListener : public ListenerBase {
public:
    virtual void CheckboxChanged(uint32_t id, bool checked) { (void)id, (void)checked; }
};
