#include "widgets/anim/ExpressionTextWidget.h"

ExpressionTextWidget::ExpressionTextWidget(const std::string& expression,
                                           const std::string& fontName,
                                           const VariableTable& context, int x, int y,
                                           int wrapWidth, int justification, int anchorX,
                                           int anchorY)
    : TextLabel("", x, y, fontName, wrapWidth, justification, anchorX, anchorY),
      mExpression(expression),
      mContext(context),
      mEvaluator(&mContext) {
    SetText(mEvaluator.Evaluate(mExpression).AsString());
}

ExpressionTextWidget::~ExpressionTextWidget() = default;

void ExpressionTextWidget::UpdateF(float elapsed) {
    TextLabel::UpdateF(elapsed);
    std::string text = mEvaluator.Evaluate(mExpression).AsString();
    if (text != GetText()) {
        SetText(text);
    }
}
