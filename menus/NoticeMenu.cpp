#include "menus/NoticeMenu.h"

#include "graphics/assets/LocalizedTexts.h"

NoticeMenu::NoticeMenu(const std::string& key, Widget* fadeTarget, const std::string& fontName,
                       int order)
    : DialogMenu(fadeTarget) {
    mDrawPriority = order;
    mZOrder = order;
    VariableTable& vars = GetVariables();
    vars.Set("title", ExprValue::FromString(LocalizedTexts::Lookup(key + "_title")));
    vars.Set("text", ExprValue::FromString(LocalizedTexts::Lookup(key + "_text")));
    vars.Set("text_font", ExprValue::FromString(fontName));
    PlayAnimationRef("notice_menu");
}
