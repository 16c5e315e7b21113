#pragma once
// Evaluates expression texts: the façade that scripts and data-file readers use. Each distinct
// text is parsed once (see ExprCache); the language is described in docs/expressions.md.

#include <string>
#include <string_view>
#include <vector>

#include "core/expr/ExprValue.h"
#include "core/expr/VariableTable.h"

struct ParsedExpr;

class ExpressionEvaluator {
public:
    // vars may be null (no local variables); not owned, must outlive the evaluator.
    explicit ExpressionEvaluator(const VariableTable* vars) : mVars(vars) {}

    // The value of an expression text with the table's current values; names not in the table
    // resolve to the current player's globals, then named constants, else to their own text.
    // An empty text gives integer 0; a text that does not parse gives itself as a string (logged
    // once). Main thread, or any thread when vars is null or not being changed meanwhile.
    ExprValue Evaluate(std::string_view text) const;
    // As Evaluate(text), for a call site that keeps the parse (see Resolve) instead of looking
    // its text up on every evaluation.
    ExprValue Evaluate(const ParsedExpr& parsed) const;
    // The process-lifetime parse of a text, for a call site to keep; null when the parse cache
    // is full (the site then evaluates its text each time). Any thread.
    static const ParsedExpr* Resolve(std::string_view text);
    // The values of a top-level comma-separated list in order (items trimmed of blanks); an empty
    // text gives an empty list.
    std::vector<ExprValue> EvaluateList(std::string_view text) const;
    // Splits a text at top-level commas (outside parentheses and quotes) without evaluating;
    // pieces are trimmed of blanks. An empty or blank text gives no pieces.
    static std::vector<std::string> SplitArguments(std::string_view text);

    const VariableTable* GetVariables() const { return mVars; }
    void SetVariables(const VariableTable* vars) { mVars = vars; }

private:
    const VariableTable* mVars;
};
