#pragma once
// The owner of a text entry field: told of Enter and focus changes, and may refuse keys,
// characters or whole new texts. Weak link both ways (ListenerLink.h).

#include <cstdint>
#include <string>

#include "widgets/ListenerLink.h"

class EditWidget;

class EditListener : public ListenerBase {
public:
    // Enter was pressed.
    virtual void EditWidgetText(uint32_t id, const std::string& text) { (void)id, (void)text; }
    virtual bool AllowKey(uint32_t id, int key) {
        (void)id, (void)key;
        return true;
    }
    virtual bool AllowChar(uint32_t id, char c) {
        (void)id, (void)c;
        return true;
    }
    // The text a key is about to leave; refusing restores text, caret and selection.
    virtual bool AllowText(uint32_t id, const std::string& text) {
        (void)id, (void)text;
        return true;
    }
    virtual void EditGotFocus(EditWidget* widget) { (void)widget; }
    virtual void EditLostFocus(EditWidget* widget) { (void)widget; }
};
