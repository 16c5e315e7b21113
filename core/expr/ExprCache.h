#pragma once
// The process-wide cache of parsed expressions: each distinct text is parsed once, and its tree
// lives until the process ends, so evaluators hold plain pointers to it. Thread-safe; a text
// that does not parse is logged once, when it is first seen.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/expr/ExprNode.h"

class ExprCache {
public:
    // Owns parses that did not fit in the full cache, for the duration of one evaluation.
    struct Overflow {
        std::vector<std::unique_ptr<ParsedExpr>> parses;
        std::vector<const ParsedExpr*> list;
    };

    // The parse of a single expression text: a cached one, valid for the process lifetime, or,
    // once the cache is full, one owned by overflow.
    static const ParsedExpr* Get(std::string_view text, Overflow* overflow);
    // The parses of the items of a comma-separated list (items trimmed of blanks); an empty or
    // blank text has no items. Lifetime as for Get.
    static const std::vector<const ParsedExpr*>* GetList(std::string_view text, Overflow* overflow);

    static size_t GetSize();  // distinct texts cached
};

// A text cut to a length fit for one log line.
std::string ShortForLog(std::string_view text);
