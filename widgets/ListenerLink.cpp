#include "widgets/ListenerLink.h"

#include <algorithm>

ListenerBase::~ListenerBase() {
    for (ListenerSlotBase* slot : mSlots) {
        slot->mTarget = nullptr;
    }
    mSlots.clear();
}

void ListenerSlotBase::Clear() {
    Link(nullptr);
}

void ListenerSlotBase::Link(ListenerBase* target) {
    if (target == mTarget) {
        return;
    }
    if (mTarget != nullptr) {
        std::erase(mTarget->mSlots, this);
    }
    mTarget = target;
    if (target != nullptr) {
        target->mSlots.push_back(this);
    }
}
