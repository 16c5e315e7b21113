#pragma once
// Evaluates expression texts. CONTRACT DRAFT: the implementer of app/expr may add members but
// keeps these signatures.

#include <string>
#include <string_view>
#include <vector>

#include "app/expr/ExprValue.h"
#include "app/expr/VariableTable.h"

class ExpressionEvaluator {
public:
    // vars may be null (no local variables); not owned, must outlive the evaluator.
    explicit ExpressionEvaluator(const VariableTable* vars);

    // The value of an expression text with the table's current values; names not in the table
    // resolve to the current player's globals, then named constants. Main thread, or any thread
    // when vars is null and the constants are not being written.
    ExprValue Evaluate(std::string_view text) const;
    // The values of a top-level comma-separated list in order; an empty text gives an empty list.
    std::vector<ExprValue> EvaluateList(std::string_view text) const;
    // Splits a text at top-level commas (outside parentheses and quotes) without evaluating.
    static std::vector<std::string> SplitArguments(std::string_view text);
};
