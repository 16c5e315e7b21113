#pragma once
// Told of every button press anywhere in the window: OnClick before the widget manager dispatches
// it, OnClickDone after. Registered with WidgetManager::AddTrackedWidget; a listener destroyed
// while registered leaves the manager's list by itself.

class WidgetManager;

class ClickListener {
public:
    ClickListener() = default;
    ClickListener(const ClickListener&) = delete;
    ClickListener& operator=(const ClickListener&) = delete;
    virtual ~ClickListener();

    // clickCount as the manager passes it (1, 2 left; -1, -2 right; 0 middle).
    virtual void OnClick(int clickCount) { (void)clickCount; }
    virtual void OnClickDone(int clickCount) { (void)clickCount; }

private:
    friend class WidgetManager;
    WidgetManager* mTrackedBy = nullptr;
};
