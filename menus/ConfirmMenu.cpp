#include "menus/ConfirmMenu.h"

ConfirmMenu::ConfirmMenu(const std::string& title, const std::string& text,
                         const std::string& okText, const std::string& cancelText,
                         Widget* fadeTarget)
    : DialogMenu(fadeTarget) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmMenu));
    VariableTable& vars = GetVariables();
    vars.Set("title", ExprValue::FromString(title));
    vars.Set("text", ExprValue::FromString(text));
    vars.Set("ok_text", ExprValue::FromString(okText));
    vars.Set("cancel_text", ExprValue::FromString(cancelText));
    PlayAnimationRef("confirm_menu");
}

void ConfirmMenu::OnConfirm() {
    OnCancel();
}

void ConfirmMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "ok") {
        OnConfirm();
        return;
    }
    DialogMenu::OnEvent(name, parameter, object);
}
