#pragma once
// Evaluates parsed expression trees. Numbers, bools and references travel in ExprValue payloads,
// so a tree of numeric operations on variables evaluates without allocating.

#include <string_view>

#include "core/expr/ExprNode.h"
#include "core/expr/ExprValue.h"

class VariableTable;

class ExprEvaluator {
public:
    // The value of a parsed text: integer 0 for an empty text, the text itself as a string when
    // it did not parse. vars may be null. The caller logs parse failures.
    static ExprValue Evaluate(const ParsedExpr& expr, const VariableTable* vars);

    // Looks a name up in the order locals, the current player's globals (main thread only), the
    // named constants; false when none defines it. out may be null for a presence test.
    static bool LookupName(std::string_view name, const VariableTable* vars, bool mainThread,
                           ExprValue* out);
};
