#include "core/expr/ExpressionEvaluator.h"

#include <cstdint>

#include "core/expr/ExprCache.h"
#include "core/expr/ExprEvaluator.h"
#include "core/util/StringUtil.h"

namespace {

// Call sites mostly evaluate texts that stay where they are (a script command's parameters), so
// each thread remembers which parse it last found at a text's address. A hit is checked against
// the parse's own text, so a text freed and another allocated at the same address is harmless;
// only parses that live for the process are remembered.
struct SiteEntry {
    const char* data = nullptr;
    const ParsedExpr* parsed = nullptr;
};
constexpr size_t kSiteEntries = 512;
thread_local SiteEntry tSites[kSiteEntries];

SiteEntry& SiteFor(const char* data) {
    const auto key = reinterpret_cast<uintptr_t>(data);
    return tSites[(key ^ (key >> 9)) & (kSiteEntries - 1)];
}

}  // namespace

ExprValue ExpressionEvaluator::Evaluate(std::string_view text) const {
    SiteEntry& site = SiteFor(text.data());
    if (site.parsed != nullptr && site.data == text.data() && site.parsed->text == text) {
        return ExprEvaluator::Evaluate(*site.parsed, mVars);
    }
    ExprCache::Overflow overflow;
    const ParsedExpr* parsed = ExprCache::Get(text, &overflow);
    if (overflow.parses.empty()) {
        site.data = text.data();
        site.parsed = parsed;
    }
    return ExprEvaluator::Evaluate(*parsed, mVars);
}

ExprValue ExpressionEvaluator::Evaluate(const ParsedExpr& parsed) const {
    return ExprEvaluator::Evaluate(parsed, mVars);
}

const ParsedExpr* ExpressionEvaluator::Resolve(std::string_view text) {
    ExprCache::Overflow overflow;
    const ParsedExpr* parsed = ExprCache::Get(text, &overflow);
    return overflow.parses.empty() ? parsed : nullptr;
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
