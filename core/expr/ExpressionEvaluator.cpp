#include "core/expr/ExpressionEvaluator.h"

#include "core/expr/ExprCache.h"
#include "core/expr/ExprEvaluator.h"
#include "core/util/StringUtil.h"

ExprValue ExpressionEvaluator::Evaluate(std::string_view text) const {
    ExprCache::Overflow overflow;
    const ParsedExpr* parsed = ExprCache::Get(text, &overflow);
    return ExprEvaluator::Evaluate(*parsed, mVars);
}

std::vector<ExprValue> ExpressionEvaluator::EvaluateList(std::string_view text) const {
    ExprCache::Overflow overflow;
    const std::vector<const ParsedExpr*>* items = ExprCache::GetList(text, &overflow);
    std::vector<ExprValue> values;
    values.reserve(items->size());
    for (const ParsedExpr* item : *items) {
        values.push_back(ExprEvaluator::Evaluate(*item, mVars));
    }
    return values;
}

std::vector<std::string> ExpressionEvaluator::SplitArguments(std::string_view text) {
    std::vector<std::string> pieces;
    if (TrimBlanks(text).empty()) {
        return pieces;
    }
    int depth = 0;
    char quote = '\0';
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote != '\0') {
            if (c == '\\' && i + 1 < text.size()) {
                ++i;  // an escaped character never ends the string
            } else if (c == quote) {
                quote = '\0';
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            // An unbalanced ')' must not make later commas look nested.
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == ',' && depth == 0) {
            pieces.emplace_back(TrimBlanks(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    pieces.emplace_back(TrimBlanks(text.substr(start)));
    return pieces;
}
