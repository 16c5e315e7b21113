#pragma once
// Splits an expression text into tokens for ExprParser. Word operators (and, or, not, lt, le,
// gt, ge, eq, ne) come out as their symbol tokens, so XML attributes can avoid '<' and '&'.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ExprTokenType : uint8_t {
    kEnd,
    kInt,
    kReal,
    kString,
    kTrue,
    kFalse,
    kName,  // one name; a hyphenated run carries its parts
    kLParen,
    kRParen,
    kComma,
    kDot,
    kQuestion,
    kColon,
    kPlus,
    kMinus,
    kStar,
    kSlash,
    kPercent,
    kNot,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kAnd,
    kOr,
    kError
};

struct ExprToken {
    ExprTokenType type = ExprTokenType::kEnd;
    size_t start = 0;  // offset in the text
    size_t end = 0;
    int32_t intValue = 0;
    float realValue = 0.0f;
    std::string text;                // the name, the unescaped string, or the error message
    std::vector<std::string> parts;  // the parts of a hyphenated name (empty for a plain name)
};

class ExprLexer {
public:
    explicit ExprLexer(std::string_view text) : mText(text) {}

    // The next token; kError carries the reason in text, kEnd repeats at the end.
    ExprToken Next();

private:
    bool ReadNamePart(size_t* pos, std::string_view* part) const;
    ExprToken ReadNumber();
    ExprToken ReadString();
    ExprToken ReadName();

    std::string_view mText;
    size_t mPos = 0;
};

// True for the words that the language keeps for itself (the word operators and true/false).
bool IsExprKeyword(std::string_view word);
