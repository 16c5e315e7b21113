#include "menus/NoticeMenu.h"

#include "graphics/assets/LocalizedTexts.h"

NoticeMenu::NoticeMenu(const std::string& key, Widget* fadeTarget, const std::string& fontName,
                       int order, const std::string& file)
    : DialogMenu(fadeTarget) {
    DeclareNoUpdatesOfItsOwn(typeid(NoticeMenu));
    mDrawPriority = order;
    mZOrder = order;
    VariableTable& vars = GetVariables();
    vars.Set("title", ExprValue::FromString(LocalizedTexts::Lookup(key + "_title")));
    std::string text = LocalizedTexts::Lookup(key + "_text");
    const std::string placeholder = "[file]";
    if (const size_t at = text.find(placeholder); at != std::string::npos) {
        text.replace(at, placeholder.size(), file);
    }
    vars.Set("text", ExprValue::FromString(text));
    vars.Set("text_font", ExprValue::FromString(fontName));
    PlayAnimationRef("notice_menu");
}
