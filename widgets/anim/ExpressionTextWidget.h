#pragma once
// A text label whose text is an expression, evaluated again on every float update against a copy
// of the variables it was given (object references in the copy still follow their widgets). The
// layout is redone only when the text changes. Main thread only.

#include <string>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"
#include "widgets/anim/TextLabel.h"

class ExpressionTextWidget : public TextLabel {
public:
    // context is copied; see TextLabel for the other arguments.
    ExpressionTextWidget(const std::string& expression, const std::string& fontName,
                         const VariableTable& context, int x, int y, int wrapWidth,
                         int justification, int anchorX, int anchorY);
    ~ExpressionTextWidget() override;

    const std::string& GetExpression() const { return mExpression; }

    void UpdateF(float elapsed) override;

private:
    std::string mExpression;
    VariableTable mContext;
    ExpressionEvaluator mEvaluator;
};
