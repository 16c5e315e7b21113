#pragma once
// Builds the tree of one expression text. Precedence, loosest first: ?:, || or, && and,
// == != eq ne, < <= > >= lt le gt ge, + -, * / %, unary - ! not, then member access and calls.

#include <memory>
#include <string>
#include <string_view>

#include "core/expr/ExprLexer.h"
#include "core/expr/ExprNode.h"

class ExprParser {
public:
    // Parses the whole text. An empty or blank text gives an ok result without a tree (it
    // evaluates to integer 0); a text that is not one expression gives ok false and the reason.
    static std::unique_ptr<ParsedExpr> Parse(std::string_view text);

private:
    explicit ExprParser(std::string_view text) : mText(text), mLexer(text) {}

    void Advance();
    bool Fail(const std::string& message);
    bool Expect(ExprTokenType type, const char* what);
    // Hangs child under parent; false, with the error set, when the tree grows too tall.
    bool Adopt(ExprNode* parent, std::unique_ptr<ExprNode> child);

    std::unique_ptr<ExprNode> ParseConditional();
    std::unique_ptr<ExprNode> ParseBinary(int level);
    std::unique_ptr<ExprNode> ParseUnary();
    std::unique_ptr<ExprNode> ParsePostfix();
    std::unique_ptr<ExprNode> ParsePrimary();
    std::unique_ptr<ExprNode> ParseCall(const ExprToken& nameToken);

    std::string_view mText;
    ExprLexer mLexer;
    ExprToken mToken;
    std::string mError;
    int mDepth = 0;
};
