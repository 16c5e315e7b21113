#include "game/board/TrailWidget.h"

TrailWidget::TrailWidget(const std::string& script, int sourceX, int sourceY, int targetX,
                         int targetY, int delay)
    : AnimationWidget(script, 0, 0, true) {
    VariableTable& vars = GetVariables();
    vars.Set("delay", ExprValue::FromInt(delay));
    vars.Set("source_x", ExprValue::FromInt(sourceX));
    vars.Set("source_y", ExprValue::FromInt(sourceY));
    vars.Set("target_x", ExprValue::FromInt(targetX));
    vars.Set("target_y", ExprValue::FromInt(targetY));
}
