#pragma once
// The parsed form of an expression: an immutable tree, built once per distinct text by
// ExprParser and shared by every evaluator (and thread) that evaluates that text.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExprValue.h"

enum class ExprNodeKind : uint8_t {
    kLiteral,      // literal
    kName,         // name: variable, global, constant or bare word
    kHyphenName,   // name: a run like fade-delay; children are the parts as kName nodes
    kMember,       // children[0].name
    kUnary,        // op children[0]
    kBinary,       // children[0] op children[1] (arithmetic and comparisons)
    kAnd,          // children[0] && children[1]
    kOr,           // children[0] || children[1]
    kConditional,  // children[0] ? children[1] : children[2]
    kCall          // func(children...)
};

enum class ExprOp : uint8_t {
    kNeg,
    kNot,
    kMul,
    kDiv,
    kMod,
    kAdd,
    kSub,
    kLt,
    kLe,
    kGt,
    kGe,
    kEq,
    kNe
};

enum class ExprFunc : uint8_t {
    kSin,
    kCos,
    kAbs,
    kMin,
    kMax,
    kFloor,
    kCeil,
    kSqrt,
    kPow,
    kRand,
    kInt,
    kReal,
    kStr
};

struct ExprNode {
    ExprNodeKind kind = ExprNodeKind::kLiteral;
    ExprOp op = ExprOp::kAdd;
    ExprFunc func = ExprFunc::kSin;
    ExprValue literal;
    // The variable name (kName, kHyphenName) or the property name (kMember).
    std::string name;
    // The name's number (ExprNameAtoms) for kName and kHyphenName, so that variable tables are
    // searched by integer; 0 otherwise.
    uint32_t atom = 0;
    // The subtree can only make numbers or bools when its names hold numbers (no strings, no
    // member access, no rand), so the evaluator may try it over plain numbers first.
    bool numeric = false;
    // For kMember over a chain of names only: the whole dotted text, which is the value when the
    // first name is a bare word ("title.png").
    std::string bareText;
    std::vector<std::unique_ptr<ExprNode>> children;
    // Nodes on the longest path down from here, this one included. The parser bounds it, since
    // evaluating and freeing a tree recurse once per level.
    int height = 1;
    // Run-time problems (a division by zero, a missing property) are logged once per node.
    mutable std::atomic<bool> warned{false};
};

// One distinct expression text after parsing: either a tree or the reason it did not parse.
struct ParsedExpr {
    std::string text;
    std::unique_ptr<ExprNode> root;  // null when the text is empty or did not parse
    bool ok = true;
    std::string error;
};
