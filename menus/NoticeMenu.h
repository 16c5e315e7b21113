#pragma once
// A dialog that shows a localized title and text (script "notice_menu"): the texts of key +
// "_title" and key + "_text", with "[file]" in the text replaced by a file's name. Main thread
// only.

#include <string>

#include "menus/DialogMenu.h"

class NoticeMenu : public DialogMenu {
public:
    // fontName becomes the script variable "text_font"; order is the drawPriority and zOrder.
    NoticeMenu(const std::string& key, Widget* fadeTarget, const std::string& fontName, int order,
               const std::string& file = std::string());
};
