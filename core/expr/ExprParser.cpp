#include "core/expr/ExprParser.h"

#include <algorithm>
#include <utility>

#include "core/expr/ExprNameAtoms.h"

namespace {

// Deeper nesting than any script needs; the bound keeps hostile text from exhausting the stack.
constexpr int kMaxDepth = 200;
// A chain of binary operators or member accesses is parsed in a loop, but it still builds one
// tree level per operator; evaluating and freeing the tree recurse once per level, so its
// height is bounded too ("1+1+...+1" of a million terms must not overflow the stack).
constexpr int kMaxHeight = 1000;
constexpr size_t kMaxArguments = 16;

struct FunctionInfo {
    const char* name;
    ExprFunc func;
    size_t minArgs;
    size_t maxArgs;
};

constexpr FunctionInfo kFunctions[] = {
    {"sin", ExprFunc::kSin, 1, 1},
    {"cos", ExprFunc::kCos, 1, 1},
    {"abs", ExprFunc::kAbs, 1, 1},
    {"min", ExprFunc::kMin, 1, kMaxArguments},
    {"max", ExprFunc::kMax, 1, kMaxArguments},
    {"floor", ExprFunc::kFloor, 1, 1},
    {"ceil", ExprFunc::kCeil, 1, 1},
    {"sqrt", ExprFunc::kSqrt, 1, 1},
    {"pow", ExprFunc::kPow, 2, 2},
    {"rand", ExprFunc::kRand, 0, 1},
    {"int", ExprFunc::kInt, 1, 1},
    {"real", ExprFunc::kReal, 1, 1},
    {"str", ExprFunc::kStr, 1, 1},
};

const FunctionInfo* FindFunction(std::string_view name) {
    for (const FunctionInfo& info : kFunctions) {
        if (name == info.name) {
            return &info;
        }
    }
    return nullptr;
}

struct BinaryLevel {
    ExprTokenType tokens[4];
    ExprOp ops[4];
};

// Levels 0 and 1 (|| and &&) are handled apart since they short-circuit.
constexpr int kOrLevel = 0;
constexpr int kAndLevel = 1;
constexpr int kLevelCount = 6;
constexpr BinaryLevel kLevels[kLevelCount] = {
    {},
    {},
    {{ExprTokenType::kEqual, ExprTokenType::kNotEqual}, {ExprOp::kEq, ExprOp::kNe}},
    {{ExprTokenType::kLess, ExprTokenType::kLessEqual, ExprTokenType::kGreater,
      ExprTokenType::kGreaterEqual},
     {ExprOp::kLt, ExprOp::kLe, ExprOp::kGt, ExprOp::kGe}},
    {{ExprTokenType::kPlus, ExprTokenType::kMinus}, {ExprOp::kAdd, ExprOp::kSub}},
    {{ExprTokenType::kStar, ExprTokenType::kSlash, ExprTokenType::kPercent},
     {ExprOp::kMul, ExprOp::kDiv, ExprOp::kMod}},
};

std::unique_ptr<ExprNode> MakeNode(ExprNodeKind kind) {
    auto node = std::make_unique<ExprNode>();
    node->kind = kind;
    return node;
}

std::string Describe(const ExprToken& token, std::string_view text) {
    if (token.type == ExprTokenType::kEnd) {
        return "end of text";
    }
    // Appended piece by piece: GCC 12 at -O3 warns falsely about chained operator+ here.
    std::string quoted(1, '\'');
    quoted.append(text.substr(token.start, token.end - token.start));
    quoted.push_back('\'');
    return quoted;
}

// Marks the subtrees that make only numbers and bools when their names hold numbers, and that
// have no effect beyond their value (so a failed numeric try can be redone the general way).
// Recursion is bounded by the parser's height limit.
bool MarkNumeric(ExprNode* node) {
    bool childrenNumeric = true;
    for (auto& child : node->children) {
        childrenNumeric = MarkNumeric(child.get()) && childrenNumeric;
    }
    switch (node->kind) {
        case ExprNodeKind::kLiteral:
            node->numeric = node->literal.IsNumber();
            break;
        case ExprNodeKind::kName:
            node->numeric = true;
            break;
        case ExprNodeKind::kUnary:
        case ExprNodeKind::kBinary:
        case ExprNodeKind::kAnd:
        case ExprNodeKind::kOr:
        case ExprNodeKind::kConditional:
            node->numeric = childrenNumeric;
            break;
        case ExprNodeKind::kCall:
            node->numeric =
                childrenNumeric && node->func != ExprFunc::kRand && node->func != ExprFunc::kStr;
            break;
        default:
            // Hyphenated names change meaning with what is defined; members call out to objects.
            node->numeric = false;
            break;
    }
    return node->numeric;
}

}  // namespace

std::unique_ptr<ParsedExpr> ExprParser::Parse(std::string_view text) {
    auto result = std::make_unique<ParsedExpr>();
    result->text = std::string(text);
    ExprParser parser(text);
    parser.Advance();
    if (parser.mToken.type == ExprTokenType::kEnd && parser.mError.empty()) {
        return result;
    }
    std::unique_ptr<ExprNode> root = parser.ParseConditional();
    if (root && parser.mError.empty() && parser.mToken.type != ExprTokenType::kEnd) {
        parser.Fail("unexpected " + Describe(parser.mToken, text) + " after the expression");
    }
    if (!parser.mError.empty()) {
        result->ok = false;
        result->error = parser.mError;
        return result;
    }
    MarkNumeric(root.get());
    result->root = std::move(root);
    return result;
}

void ExprParser::Advance() {
    mToken = mLexer.Next();
    if (mToken.type == ExprTokenType::kError) {
        Fail(mToken.text + " at column " + std::to_string(mToken.start + 1));
    }
}

bool ExprParser::Fail(const std::string& message) {
    if (mError.empty()) {
        mError = message;
    }
    return false;
}

bool ExprParser::Expect(ExprTokenType type, const char* what) {
    if (!mError.empty()) {
        return false;
    }
    if (mToken.type != type) {
        return Fail(std::string("expected ") + what + " but found " + Describe(mToken, mText) +
                    " at column " + std::to_string(mToken.start + 1));
    }
    Advance();
    return mError.empty();
}

bool ExprParser::Adopt(ExprNode* parent, std::unique_ptr<ExprNode> child) {
    parent->height = std::max(parent->height, child->height + 1);
    parent->children.push_back(std::move(child));
    if (parent->height > kMaxHeight) {
        return Fail("expression nested too deeply");
    }
    return true;
}

std::unique_ptr<ExprNode> ExprParser::ParseConditional() {
    if (++mDepth > kMaxDepth) {
        Fail("expression nested too deeply");
        return nullptr;
    }
    std::unique_ptr<ExprNode> condition = ParseBinary(kOrLevel);
    if (condition && mError.empty() && mToken.type == ExprTokenType::kQuestion) {
        Advance();
        std::unique_ptr<ExprNode> whenTrue = ParseConditional();
        if (!whenTrue || !Expect(ExprTokenType::kColon, "':'")) {
            --mDepth;
            return nullptr;
        }
        std::unique_ptr<ExprNode> whenFalse = ParseConditional();
        if (!whenFalse) {
            --mDepth;
            return nullptr;
        }
        auto node = MakeNode(ExprNodeKind::kConditional);
        if (!Adopt(node.get(), std::move(condition)) || !Adopt(node.get(), std::move(whenTrue)) ||
            !Adopt(node.get(), std::move(whenFalse))) {
            --mDepth;
            return nullptr;
        }
        condition = std::move(node);
    }
    --mDepth;
    return mError.empty() ? std::move(condition) : nullptr;
}

std::unique_ptr<ExprNode> ExprParser::ParseBinary(int level) {
    if (level >= kLevelCount) {
        return ParseUnary();
    }
    std::unique_ptr<ExprNode> left = ParseBinary(level + 1);
    while (left && mError.empty()) {
        ExprNodeKind kind = ExprNodeKind::kBinary;
        ExprOp op = ExprOp::kAdd;
        bool matched = false;
        if (level == kOrLevel) {
            matched = mToken.type == ExprTokenType::kOr;
            kind = ExprNodeKind::kOr;
        } else if (level == kAndLevel) {
            matched = mToken.type == ExprTokenType::kAnd;
            kind = ExprNodeKind::kAnd;
        } else {
            const BinaryLevel& table = kLevels[level];
            for (int i = 0; i < 4 && !matched; ++i) {
                if (table.tokens[i] == mToken.type && table.tokens[i] != ExprTokenType::kEnd) {
                    matched = true;
                    op = table.ops[i];
                }
            }
        }
        if (!matched) {
            break;
        }
        Advance();
        std::unique_ptr<ExprNode> right = ParseBinary(level + 1);
        if (!right) {
            return nullptr;
        }
        auto node = MakeNode(kind);
        node->op = op;
        if (!Adopt(node.get(), std::move(left)) || !Adopt(node.get(), std::move(right))) {
            return nullptr;
        }
        left = std::move(node);
    }
    return mError.empty() ? std::move(left) : nullptr;
}

std::unique_ptr<ExprNode> ExprParser::ParseUnary() {
    ExprOp op = ExprOp::kNeg;
    const ExprTokenType type = mToken.type;
    if (type == ExprTokenType::kNot) {
        op = ExprOp::kNot;
    } else if (type != ExprTokenType::kMinus && type != ExprTokenType::kPlus) {
        return ParsePostfix();
    }
    // Every prefix, unary plus too, counts toward the nesting bound ("+++...+1" would otherwise
    // recurse without limit).
    if (++mDepth > kMaxDepth) {
        Fail("expression nested too deeply");
        return nullptr;
    }
    Advance();
    std::unique_ptr<ExprNode> operand = ParseUnary();
    --mDepth;
    // Unary plus changes nothing.
    if (!operand || type == ExprTokenType::kPlus) {
        return operand;
    }
    auto node = MakeNode(ExprNodeKind::kUnary);
    node->op = op;
    if (!Adopt(node.get(), std::move(operand))) {
        return nullptr;
    }
    return node;
}

std::unique_ptr<ExprNode> ExprParser::ParsePostfix() {
    size_t start = mToken.start;
    bool namesOnly = mToken.type == ExprTokenType::kName;
    std::unique_ptr<ExprNode> node = ParsePrimary();
    namesOnly = namesOnly && node &&
                (node->kind == ExprNodeKind::kName || node->kind == ExprNodeKind::kHyphenName);
    while (node && mError.empty() && mToken.type == ExprTokenType::kDot) {
        Advance();
        if (!mError.empty()) {
            return nullptr;
        }
        if (mToken.type != ExprTokenType::kName) {
            Fail("expected a property name after '.' but found " + Describe(mToken, mText) +
                 " at column " + std::to_string(mToken.start + 1));
            return nullptr;
        }
        auto member = MakeNode(ExprNodeKind::kMember);
        member->name = mToken.text;
        if (namesOnly) {
            member->bareText = std::string(mText.substr(start, mToken.end - start));
        }
        if (!Adopt(member.get(), std::move(node))) {
            return nullptr;
        }
        node = std::move(member);
        Advance();
    }
    return mError.empty() ? std::move(node) : nullptr;
}

std::unique_ptr<ExprNode> ExprParser::ParsePrimary() {
    if (!mError.empty()) {
        return nullptr;
    }
    ExprToken token = std::move(mToken);
    switch (token.type) {
        case ExprTokenType::kInt: {
            Advance();
            auto node = MakeNode(ExprNodeKind::kLiteral);
            node->literal = ExprValue::FromInt(token.intValue);
            return node;
        }
        case ExprTokenType::kReal: {
            Advance();
            auto node = MakeNode(ExprNodeKind::kLiteral);
            node->literal = ExprValue::FromFloat(token.realValue);
            return node;
        }
        case ExprTokenType::kString: {
            Advance();
            auto node = MakeNode(ExprNodeKind::kLiteral);
            node->literal = ExprValue::FromString(token.text);
            return node;
        }
        case ExprTokenType::kTrue:
        case ExprTokenType::kFalse: {
            Advance();
            auto node = MakeNode(ExprNodeKind::kLiteral);
            node->literal = ExprValue::FromBool(token.type == ExprTokenType::kTrue);
            return node;
        }
        case ExprTokenType::kLParen: {
            Advance();
            std::unique_ptr<ExprNode> inner = ParseConditional();
            if (!inner || !Expect(ExprTokenType::kRParen, "')'")) {
                return nullptr;
            }
            return inner;
        }
        case ExprTokenType::kName: {
            Advance();
            if (mError.empty() && mToken.type == ExprTokenType::kLParen && token.parts.empty()) {
                return ParseCall(token);
            }
            if (token.parts.empty()) {
                auto node = MakeNode(ExprNodeKind::kName);
                node->name = token.text;
                node->atom = ExprNameAtoms::Intern(node->name);
                return node;
            }
            auto node = MakeNode(ExprNodeKind::kHyphenName);
            node->name = token.text;
            node->atom = ExprNameAtoms::Intern(node->name);
            for (const std::string& part : token.parts) {
                auto partNode = MakeNode(ExprNodeKind::kName);
                partNode->name = part;
                partNode->atom = ExprNameAtoms::Intern(part);
                Adopt(node.get(), std::move(partNode));
            }
            return node;
        }
        default:
            Fail("unexpected " + Describe(token, mText) + " at column " +
                 std::to_string(token.start + 1));
            return nullptr;
    }
}

std::unique_ptr<ExprNode> ExprParser::ParseCall(const ExprToken& nameToken) {
    const FunctionInfo* info = FindFunction(nameToken.text);
    if (info == nullptr) {
        Fail("unknown function '" + nameToken.text + "' at column " +
             std::to_string(nameToken.start + 1));
        return nullptr;
    }
    auto node = MakeNode(ExprNodeKind::kCall);
    node->func = info->func;
    node->name = nameToken.text;
    Advance();  // '('
    if (mError.empty() && mToken.type != ExprTokenType::kRParen) {
        while (true) {
            std::unique_ptr<ExprNode> argument = ParseConditional();
            if (!argument) {
                return nullptr;
            }
            if (!Adopt(node.get(), std::move(argument))) {
                return nullptr;
            }
            if (mToken.type != ExprTokenType::kComma) {
                break;
            }
            Advance();
        }
    }
    if (!Expect(ExprTokenType::kRParen, "')'")) {
        return nullptr;
    }
    size_t count = node->children.size();
    if (count < info->minArgs || count > info->maxArgs) {
        Fail("'" + nameToken.text + "' takes " +
             (info->minArgs == info->maxArgs
                  ? std::to_string(info->minArgs)
                  : std::to_string(info->minArgs) + " to " + std::to_string(info->maxArgs)) +
             " arguments, not " + std::to_string(count));
        return nullptr;
    }
    return node;
}
