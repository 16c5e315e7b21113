#pragma once
// Weak links between a listener and the objects that report to it. The reporting side holds one
// ListenerSlot (at most one listener); the listener knows every slot that points at it. Neither
// side owns the other, and whichever is destroyed first clears the other's reference, so no
// notification ever reaches a destroyed object. Main thread only.

#include <cstddef>
#include <vector>

class ListenerSlotBase;

// The listener side: mixed into every listener interface.
class ListenerBase {
public:
    ListenerBase() = default;
    // A copied listener starts without links: the reporters chose the original.
    ListenerBase(const ListenerBase&) {}
    ListenerBase& operator=(const ListenerBase&) { return *this; }
    // Clears the link of every slot that still points here.
    virtual ~ListenerBase();

    // Number of slots linked to this listener.
    size_t GetLinkCount() const { return mSlots.size(); }

private:
    friend class ListenerSlotBase;
    std::vector<ListenerSlotBase*> mSlots;
};

// The reporting side's untyped link.
class ListenerSlotBase {
public:
    ListenerSlotBase() = default;
    ~ListenerSlotBase() { Clear(); }
    ListenerSlotBase(const ListenerSlotBase&) = delete;
    ListenerSlotBase& operator=(const ListenerSlotBase&) = delete;

    // Unlinks from the listener (if any).
    void Clear();
    bool IsSet() const { return mTarget != nullptr; }

protected:
    // Unlinks from the old listener, then links to target (null: stays unlinked). Linking to the
    // listener already held changes nothing.
    void Link(ListenerBase* target);
    ListenerBase* mTarget = nullptr;

private:
    friend class ListenerBase;
};

// A typed link to a listener interface L (which derives from ListenerBase once).
template <typename L>
class ListenerSlot : public ListenerSlotBase {
public:
    void Set(L* listener) { Link(listener); }
    // The listener, or null when none was set or it has been destroyed.
    L* Get() const { return mTarget != nullptr ? static_cast<L*>(mTarget) : nullptr; }
};
