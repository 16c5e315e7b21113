#include "core/expr/ExprLexer.h"

#include <cctype>

#include "core/expr/ExprNumbers.h"

namespace {

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

struct WordOp {
    const char* word;
    ExprTokenType type;
};

constexpr WordOp kWordOps[] = {
    {"and", ExprTokenType::kAnd},         {"or", ExprTokenType::kOr},
    {"not", ExprTokenType::kNot},         {"lt", ExprTokenType::kLess},
    {"le", ExprTokenType::kLessEqual},    {"gt", ExprTokenType::kGreater},
    {"ge", ExprTokenType::kGreaterEqual}, {"eq", ExprTokenType::kEqual},
    {"ne", ExprTokenType::kNotEqual},     {"true", ExprTokenType::kTrue},
    {"false", ExprTokenType::kFalse},
};

ExprTokenType KeywordType(std::string_view word) {
    for (const WordOp& op : kWordOps) {
        if (word == op.word) {
            return op.type;
        }
    }
    return ExprTokenType::kName;
}

}  // namespace

bool IsExprKeyword(std::string_view word) {
    return KeywordType(word) != ExprTokenType::kName;
}

ExprToken ExprLexer::Next() {
    while (mPos < mText.size() && std::isspace(static_cast<unsigned char>(mText[mPos]))) {
        ++mPos;
    }
    ExprToken token;
    token.start = mPos;
    if (mPos >= mText.size()) {
        token.end = mPos;
        return token;
    }
    char c = mText[mPos];
    char next = mPos + 1 < mText.size() ? mText[mPos + 1] : '\0';
    if (IsDigit(c) || (c == '.' && IsDigit(next))) {
        return ReadNumber();
    }
    if (c == '"' || c == '\'') {
        return ReadString();
    }
    if (IsNameStart(c)) {
        return ReadName();
    }
    auto single = [&](ExprTokenType type, size_t length) {
        token.type = type;
        mPos += length;
        token.end = mPos;
        return token;
    };
    switch (c) {
        case '(':
            return single(ExprTokenType::kLParen, 1);
        case ')':
            return single(ExprTokenType::kRParen, 1);
        case ',':
            return single(ExprTokenType::kComma, 1);
        case '.':
            return single(ExprTokenType::kDot, 1);
        case '?':
            return single(ExprTokenType::kQuestion, 1);
        case ':':
            return single(ExprTokenType::kColon, 1);
        case '+':
            return single(ExprTokenType::kPlus, 1);
        case '-':
            return single(ExprTokenType::kMinus, 1);
        case '*':
            return single(ExprTokenType::kStar, 1);
        case '/':
            return single(ExprTokenType::kSlash, 1);
        case '%':
            return single(ExprTokenType::kPercent, 1);
        case '!':
            return next == '=' ? single(ExprTokenType::kNotEqual, 2)
                               : single(ExprTokenType::kNot, 1);
        case '<':
            return next == '=' ? single(ExprTokenType::kLessEqual, 2)
                               : single(ExprTokenType::kLess, 1);
        case '>':
            return next == '=' ? single(ExprTokenType::kGreaterEqual, 2)
                               : single(ExprTokenType::kGreater, 1);
        case '=':
            if (next == '=') {
                return single(ExprTokenType::kEqual, 2);
            }
            break;
        case '&':
            if (next == '&') {
                return single(ExprTokenType::kAnd, 2);
            }
            break;
        case '|':
            if (next == '|') {
                return single(ExprTokenType::kOr, 2);
            }
            break;
        default:
            break;
    }
    token.type = ExprTokenType::kError;
    token.text = std::string("unexpected character '") + c + "'";
    token.end = mPos + 1;
    return token;
}

ExprToken ExprLexer::ReadNumber() {
    ExprToken token;
    token.start = mPos;
    size_t pos = mPos;
    if (mText[pos] == '0' && pos + 1 < mText.size() &&
        (mText[pos + 1] == 'x' || mText[pos + 1] == 'X')) {
        pos += 2;
        while (pos < mText.size() && std::isxdigit(static_cast<unsigned char>(mText[pos]))) {
            ++pos;
        }
    } else {
        while (pos < mText.size() && IsDigit(mText[pos])) {
            ++pos;
        }
        if (pos < mText.size() && mText[pos] == '.') {
            ++pos;
            while (pos < mText.size() && IsDigit(mText[pos])) {
                ++pos;
            }
        }
        if (pos < mText.size() && (mText[pos] == 'e' || mText[pos] == 'E')) {
            size_t exponent = pos + 1;
            if (exponent < mText.size() && (mText[exponent] == '+' || mText[exponent] == '-')) {
                ++exponent;
            }
            if (exponent < mText.size() && IsDigit(mText[exponent])) {
                pos = exponent;
                while (pos < mText.size() && IsDigit(mText[pos])) {
                    ++pos;
                }
            }
        }
    }
    // "2x" or "0x1g" is a mistake, not a number followed by a name.
    if (pos < mText.size() && IsNameChar(mText[pos])) {
        token.type = ExprTokenType::kError;
        token.text = "malformed number";
        token.end = pos;
        return token;
    }
    std::string_view literal = mText.substr(mPos, pos - mPos);
    bool isReal = false;
    if (!ParseNumberText(literal, &isReal, &token.intValue, &token.realValue)) {
        token.type = ExprTokenType::kError;
        token.text = "number out of range";
    } else {
        token.type = isReal ? ExprTokenType::kReal : ExprTokenType::kInt;
    }
    mPos = pos;
    token.end = pos;
    return token;
}

ExprToken ExprLexer::ReadString() {
    ExprToken token;
    token.start = mPos;
    char quote = mText[mPos];
    size_t pos = mPos + 1;
    while (pos < mText.size() && mText[pos] != quote) {
        char c = mText[pos];
        if (c == '\\' && pos + 1 < mText.size()) {
            char escaped = mText[pos + 1];
            switch (escaped) {
                case 'n':
                    token.text += '\n';
                    break;
                case 't':
                    token.text += '\t';
                    break;
                default:
                    token.text += escaped;
                    break;
            }
            pos += 2;
        } else {
            token.text += c;
            ++pos;
        }
    }
    if (pos >= mText.size()) {
        token.type = ExprTokenType::kError;
        token.text = "unterminated string";
        token.end = mText.size();
        mPos = mText.size();
        return token;
    }
    token.type = ExprTokenType::kString;
    mPos = pos + 1;
    token.end = mPos;
    return token;
}

bool ExprLexer::ReadNamePart(size_t* pos, std::string_view* part) const {
    size_t start = *pos;
    if (start >= mText.size() || !IsNameStart(mText[start])) {
        return false;
    }
    size_t end = start + 1;
    while (end < mText.size() && IsNameChar(mText[end])) {
        ++end;
    }
    *part = mText.substr(start, end - start);
    *pos = end;
    return true;
}

ExprToken ExprLexer::ReadName() {
    ExprToken token;
    token.start = mPos;
    size_t pos = mPos;
    std::string_view first;
    ReadNamePart(&pos, &first);
    ExprTokenType keyword = KeywordType(first);
    if (keyword != ExprTokenType::kName) {
        token.type = keyword;
        mPos = pos;
        token.end = pos;
        return token;
    }
    token.type = ExprTokenType::kName;
    // A run of names joined by single hyphens without blanks (fade-delay) is read as one
    // hyphenated name; the evaluator decides between the whole name and a subtraction. A part
    // that is a keyword or a function call (x-sin(t)) ends the run.
    std::vector<std::string_view> parts{first};
    while (pos < mText.size() && mText[pos] == '-') {
        size_t partPos = pos + 1;
        std::string_view part;
        if (!ReadNamePart(&partPos, &part) || IsExprKeyword(part) ||
            (partPos < mText.size() && mText[partPos] == '(')) {
            break;
        }
        parts.push_back(part);
        pos = partPos;
    }
    token.text = std::string(mText.substr(mPos, pos - mPos));
    if (parts.size() > 1) {
        for (std::string_view part : parts) {
            token.parts.emplace_back(part);
        }
    }
    mPos = pos;
    token.end = pos;
    return token;
}
