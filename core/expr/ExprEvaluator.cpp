#include "core/expr/ExprEvaluator.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/expr/ExprCache.h"
#include "core/expr/ExprNumbers.h"
#include "core/expr/ExtendedPropertyInterface.h"
#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"
#include "core/util/Log.h"
#include "core/util/Random.h"

namespace {

struct Context {
    const VariableTable* vars;
    bool mainThread;
    const ParsedExpr* expr;
};

void WarnOnce(const ExprNode& node, const Context& ctx, const char* what, std::string_view detail) {
    if (!node.warned.exchange(true, std::memory_order_relaxed)) {
        LogWarning("Expression \"%s\": %s%.*s", ShortForLog(ctx.expr->text).c_str(), what,
                   static_cast<int>(detail.size()), detail.data());
    }
}

// A number operand: an integer (bools count as integers) or a real.
struct Number {
    bool isReal = false;
    int32_t i = 0;
    float f = 0.0f;
    float Real() const { return isReal ? f : static_cast<float>(i); }
};

// False for a string that is not a number and for references; n is then integer 0.
bool ToNumber(const ExprValue& value, Number* n) {
    switch (value.GetTag()) {
        case ExprValue::kBool:
        case ExprValue::kInt:
            *n = Number{false, value.AsInt(), 0.0f};
            return true;
        case ExprValue::kReal:
            *n = Number{true, 0, value.AsReal()};
            return true;
        case ExprValue::kString: {
            bool isReal = false;
            int32_t i = 0;
            float f = 0.0f;
            bool ok = ParseNumberText(value.StringView(), &isReal, &i, &f);
            *n = ok ? Number{isReal, i, f} : Number{};
            return ok;
        }
        default:
            *n = Number{};
            return false;
    }
}

ExprValue EvalNode(const ExprNode& node, const Context& ctx);

// Out parameter rather than a return value: a returned Number came back through a partly
// written stack slot and stalled on store forwarding (a third of a numeric evaluation).
void NumberOperand(const ExprNode& node, const ExprValue& value, const Context& ctx, Number* n) {
    if (!ToNumber(value, n)) {
        WarnOnce(node, ctx, "not a number: ",
                 value.GetTag() == ExprValue::kString ? value.StringView()
                                                      : std::string_view("a reference"));
    }
}

// Integer arithmetic wraps like the 32-bit machine arithmetic C programs rely on, without the
// undefined behaviour of signed overflow.
int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

ExprValue Arithmetic(const ExprNode& node, ExprOp op, const ExprValue& a, const ExprValue& b,
                     const Context& ctx) {
    if (op == ExprOp::kAdd &&
        (a.GetTag() == ExprValue::kString || b.GetTag() == ExprValue::kString)) {
        std::string joined = a.AsString();
        joined += b.AsString();
        return ExprValue::FromString(joined);
    }
    Number x;
    NumberOperand(node, a, ctx, &x);
    Number y;
    NumberOperand(node, b, ctx, &y);
    if (!x.isReal && !y.isReal) {
        switch (op) {
            case ExprOp::kAdd:
                return ExprValue::FromInt(Wrap(int64_t{x.i} + y.i));
            case ExprOp::kSub:
                return ExprValue::FromInt(Wrap(int64_t{x.i} - y.i));
            case ExprOp::kMul:
                return ExprValue::FromInt(Wrap(int64_t{x.i} * y.i));
            case ExprOp::kDiv:
            case ExprOp::kMod:
                if (y.i == 0) {
                    WarnOnce(node, ctx, "integer division by zero", "; the result is 0");
                    return ExprValue::FromInt(0);
                }
                if (y.i == -1) {
                    // INT_MIN / -1 overflows in C; wrap instead.
                    return ExprValue::FromInt(op == ExprOp::kDiv ? Wrap(-int64_t{x.i}) : 0);
                }
                return ExprValue::FromInt(op == ExprOp::kDiv ? x.i / y.i : x.i % y.i);
            default:
                break;
        }
        return ExprValue::FromInt(0);
    }
    float fx = x.Real();
    float fy = y.Real();
    switch (op) {
        case ExprOp::kAdd:
            return ExprValue::FromFloat(fx + fy);
        case ExprOp::kSub:
            return ExprValue::FromFloat(fx - fy);
        case ExprOp::kMul:
            return ExprValue::FromFloat(fx * fy);
        case ExprOp::kDiv:
            return ExprValue::FromFloat(fx / fy);
        case ExprOp::kMod:
            return ExprValue::FromFloat(std::fmod(fx, fy));
        default:
            break;
    }
    return ExprValue::FromInt(0);
}

ExprValue Compare(const ExprNode& node, ExprOp op, const ExprValue& a, const ExprValue& b,
                  const Context& ctx) {
    if (op == ExprOp::kEq) {
        return ExprValue::FromBool(a.Equals(b));
    }
    if (op == ExprOp::kNe) {
        return ExprValue::FromBool(!a.Equals(b));
    }
    int order = 0;
    if (a.GetTag() == ExprValue::kString && b.GetTag() == ExprValue::kString) {
        int c = a.StringView().compare(b.StringView());
        order = c < 0 ? -1 : (c > 0 ? 1 : 0);
    } else {
        Number x;
        NumberOperand(node, a, ctx, &x);
        Number y;
        NumberOperand(node, b, ctx, &y);
        if (!x.isReal && !y.isReal) {
            order = x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
        } else {
            float fx = x.Real();
            float fy = y.Real();
            if (std::isnan(fx) || std::isnan(fy)) {
                return ExprValue::FromBool(false);
            }
            order = fx < fy ? -1 : (fx > fy ? 1 : 0);
        }
    }
    switch (op) {
        case ExprOp::kLt:
            return ExprValue::FromBool(order < 0);
        case ExprOp::kLe:
            return ExprValue::FromBool(order <= 0);
        case ExprOp::kGt:
            return ExprValue::FromBool(order > 0);
        case ExprOp::kGe:
            return ExprValue::FromBool(order >= 0);
        default:
            return ExprValue::FromBool(false);
    }
}

// The value of a local or global variable in place (no copy), found by the name's number; null
// when neither table has it.
const ExprValue* FindVariable(const ExprNode& node, const Context& ctx) {
    if (ctx.vars != nullptr) {
        if (const ExprValue* local = ctx.vars->FindAtom(node.atom, node.name)) {
            return local;
        }
    }
    // The global table is main-thread data; a loader thread evaluating a data file skips it.
    if (ctx.mainThread) {
        if (const VariableTable* globals = GetGlobalVariables()) {
            return globals->FindAtom(node.atom, node.name);
        }
    }
    return nullptr;
}

// LookupName for a parsed name: the same order, locals and globals by number.
bool LookupNode(const ExprNode& node, const Context& ctx, ExprValue* out) {
    if (const ExprValue* variable = FindVariable(node, ctx)) {
        if (out != nullptr) {
            *out = *variable;
        }
        return true;
    }
    if (out == nullptr) {
        return HasConstant(node.name);
    }
    return FindConstant(node.name, out);
}

bool IsDefined(const ExprNode& node, const Context& ctx) {
    return LookupNode(node, ctx, nullptr);
}

// True when a name chain's first name is a bare word, so the chain reads as its own text.
bool IsBareChain(const ExprNode& node, const Context& ctx) {
    switch (node.kind) {
        case ExprNodeKind::kName:
            return !IsDefined(node, ctx);
        case ExprNodeKind::kHyphenName:
            if (IsDefined(node, ctx)) {
                return false;
            }
            for (const auto& part : node.children) {
                if (IsDefined(*part, ctx)) {
                    return false;
                }
            }
            return true;
        case ExprNodeKind::kMember:
            return !node.bareText.empty() && IsBareChain(*node.children[0], ctx);
        default:
            return false;
    }
}

ExprValue EvalHyphenName(const ExprNode& node, const Context& ctx) {
    ExprValue value;
    if (LookupNode(node, ctx, &value)) {
        return value;
    }
    bool anyDefined = false;
    for (const auto& part : node.children) {
        anyDefined = anyDefined || IsDefined(*part, ctx);
    }
    if (!anyDefined) {
        return ExprValue::FromString(node.name);
    }
    // Not one name: the hyphens are minus signs.
    ExprValue result = EvalNode(*node.children[0], ctx);
    for (size_t i = 1; i < node.children.size(); ++i) {
        ExprValue right = EvalNode(*node.children[i], ctx);
        ExprValue next = Arithmetic(node, ExprOp::kSub, result, right, ctx);
        result.MoveAssign(next);
    }
    return result;
}

ExprValue EvalMember(const ExprNode& node, const Context& ctx) {
    if (!node.bareText.empty() && IsBareChain(*node.children[0], ctx)) {
        return ExprValue::FromString(node.bareText);
    }
    ExprValue base = EvalNode(*node.children[0], ctx);
    ExtendedPropertyInterface* props = base.AsPropertyInterface();
    if (props == nullptr) {
        // A reference whose object is gone reads as none without complaint; anything else is
        // a script mistake worth a line in the log.
        if (base.GetObjectId() == 0 && base.GetTag() != ExprValue::kObject &&
            base.GetTag() != ExprValue::kImage) {
            WarnOnce(node, ctx, "no object to read a property from: ", node.name);
        }
        return ExprValue::FromInt(0);
    }
    ExprValue out;
    if (!props->GetProperty(node.name, &out)) {
        WarnOnce(node, ctx, "unknown property ", node.name);
        return ExprValue::FromInt(0);
    }
    return out;
}

ExprValue EvalCall(const ExprNode& node, const Context& ctx) {
    const auto& args = node.children;
    switch (node.func) {
        case ExprFunc::kMin:
        case ExprFunc::kMax: {
            ExprValue best = EvalNode(*args[0], ctx);
            Number bestNumber;
            NumberOperand(node, best, ctx, &bestNumber);
            for (size_t i = 1; i < args.size(); ++i) {
                ExprValue candidate = EvalNode(*args[i], ctx);
                Number n;
                NumberOperand(node, candidate, ctx, &n);
                bool isReal = bestNumber.isReal || n.isReal;
                bool better = isReal ? (node.func == ExprFunc::kMin ? n.Real() < bestNumber.Real()
                                                                    : n.Real() > bestNumber.Real())
                                     : (node.func == ExprFunc::kMin ? n.i < bestNumber.i
                                                                    : n.i > bestNumber.i);
                if (better) {
                    bestNumber = n;
                }
                if (isReal && !bestNumber.isReal) {
                    bestNumber.f = bestNumber.Real();
                    bestNumber.isReal = true;
                }
            }
            return bestNumber.isReal ? ExprValue::FromFloat(bestNumber.f)
                                     : ExprValue::FromInt(bestNumber.i);
        }
        case ExprFunc::kRand: {
            if (args.empty()) {
                return ExprValue::FromDouble(RandDouble(1.0));
            }
            Number n;
            NumberOperand(node, EvalNode(*args[0], ctx), ctx, &n);
            if (n.isReal) {
                return ExprValue::FromDouble(RandDouble(n.f));
            }
            return ExprValue::FromInt(n.i > 0 ? Rand(n.i) : 0);
        }
        case ExprFunc::kPow: {
            Number base;
            NumberOperand(node, EvalNode(*args[0], ctx), ctx, &base);
            Number exponent;
            NumberOperand(node, EvalNode(*args[1], ctx), ctx, &exponent);
            return ExprValue::FromFloat(std::pow(base.Real(), exponent.Real()));
        }
        default:
            break;
    }
    ExprValue argument = EvalNode(*args[0], ctx);
    switch (node.func) {
        case ExprFunc::kInt:
            return ExprValue::FromInt(argument.AsInt());
        case ExprFunc::kReal:
            return ExprValue::FromFloat(argument.AsReal());
        case ExprFunc::kStr:
            return ExprValue::FromString(argument.AsString());
        default:
            break;
    }
    Number n;
    NumberOperand(node, argument, ctx, &n);
    switch (node.func) {
        case ExprFunc::kSin:
            return ExprValue::FromFloat(std::sin(n.Real()));
        case ExprFunc::kCos:
            return ExprValue::FromFloat(std::cos(n.Real()));
        case ExprFunc::kSqrt:
            return ExprValue::FromFloat(std::sqrt(n.Real()));
        case ExprFunc::kAbs:
            if (n.isReal) {
                return ExprValue::FromFloat(std::fabs(n.f));
            }
            return ExprValue::FromInt(n.i < 0 ? Wrap(-int64_t{n.i}) : n.i);
        case ExprFunc::kFloor:
            return ExprValue::FromInt(n.isReal ? TruncateToInt(std::floor(n.f)) : n.i);
        case ExprFunc::kCeil:
            return ExprValue::FromInt(n.isReal ? TruncateToInt(std::ceil(n.f)) : n.i);
        default:
            break;
    }
    return ExprValue::FromInt(0);
}

ExprValue EvalNode(const ExprNode& node, const Context& ctx) {
    switch (node.kind) {
        case ExprNodeKind::kLiteral:
            return node.literal;
        case ExprNodeKind::kName: {
            if (const ExprValue* variable = FindVariable(node, ctx)) {
                return *variable;
            }
            ExprValue value;
            if (FindConstant(node.name, &value)) {
                return value;
            }
            return ExprValue::FromString(node.name);
        }
        case ExprNodeKind::kHyphenName:
            return EvalHyphenName(node, ctx);
        case ExprNodeKind::kMember:
            return EvalMember(node, ctx);
        case ExprNodeKind::kUnary: {
            ExprValue operand = EvalNode(*node.children[0], ctx);
            if (node.op == ExprOp::kNot) {
                return ExprValue::FromBool(!operand.AsBool());
            }
            Number n;
            NumberOperand(node, operand, ctx, &n);
            return n.isReal ? ExprValue::FromFloat(-n.f) : ExprValue::FromInt(Wrap(-int64_t{n.i}));
        }
        case ExprNodeKind::kBinary: {
            ExprValue a = EvalNode(*node.children[0], ctx);
            ExprValue b = EvalNode(*node.children[1], ctx);
            switch (node.op) {
                case ExprOp::kAdd:
                case ExprOp::kSub:
                case ExprOp::kMul:
                case ExprOp::kDiv:
                case ExprOp::kMod:
                    return Arithmetic(node, node.op, a, b, ctx);
                default:
                    return Compare(node, node.op, a, b, ctx);
            }
        }
        case ExprNodeKind::kAnd:
            return ExprValue::FromBool(EvalNode(*node.children[0], ctx).AsBool() &&
                                       EvalNode(*node.children[1], ctx).AsBool());
        case ExprNodeKind::kOr:
            return ExprValue::FromBool(EvalNode(*node.children[0], ctx).AsBool() ||
                                       EvalNode(*node.children[1], ctx).AsBool());
        case ExprNodeKind::kConditional:
            return EvalNode(*node.children[0], ctx).AsBool() ? EvalNode(*node.children[1], ctx)
                                                             : EvalNode(*node.children[2], ctx);
        case ExprNodeKind::kCall:
            return EvalCall(node, ctx);
    }
    return ExprValue();
}

// --- The numeric road: subtrees marked numeric by the parser, evaluated over plain numbers.
// It gives up (false) wherever the general walk would meet a non-number or log something (a
// bare word, a string variable, an integer division by zero); having no effects, the tree is
// then evaluated again the general way, which gives the same value and the same log lines.

struct Plain {
    enum Kind : uint8_t { kInt, kReal, kBool } kind = kInt;
    int32_t i = 0;  // kInt, and kBool as 0 or 1
    float f = 0.0f;
    float Real() const { return kind == kReal ? f : static_cast<float>(i); }
    bool Truth() const { return kind == kReal ? f != 0.0f : i != 0; }
};

void SetInt(Plain* out, int32_t i) {
    out->kind = Plain::kInt;
    out->i = i;
}
void SetReal(Plain* out, float f) {
    out->kind = Plain::kReal;
    out->f = f;
}
void SetBool(Plain* out, bool b) {
    out->kind = Plain::kBool;
    out->i = b ? 1 : 0;
}

bool PlainOf(const ExprValue& value, Plain* out) {
    switch (value.GetTag()) {
        case ExprValue::kInt:
            SetInt(out, value.AsInt());
            return true;
        case ExprValue::kReal:
            SetReal(out, value.AsReal());
            return true;
        case ExprValue::kBool:
            SetBool(out, value.AsBool());
            return true;
        default:
            return false;
    }
}

bool EvalPlain(const ExprNode& node, const Context& ctx, Plain* out);

bool PlainArithmetic(ExprOp op, const Plain& x, const Plain& y, Plain* out) {
    if (x.kind != Plain::kReal && y.kind != Plain::kReal) {
        switch (op) {
            case ExprOp::kAdd:
                SetInt(out, Wrap(int64_t{x.i} + y.i));
                return true;
            case ExprOp::kSub:
                SetInt(out, Wrap(int64_t{x.i} - y.i));
                return true;
            case ExprOp::kMul:
                SetInt(out, Wrap(int64_t{x.i} * y.i));
                return true;
            case ExprOp::kDiv:
            case ExprOp::kMod:
                if (y.i == 0) {
                    return false;  // logged by the general walk
                }
                if (y.i == -1) {
                    SetInt(out, op == ExprOp::kDiv ? Wrap(-int64_t{x.i}) : 0);
                    return true;
                }
                SetInt(out, op == ExprOp::kDiv ? x.i / y.i : x.i % y.i);
                return true;
            default:
                return false;
        }
    }
    const float fx = x.Real();
    const float fy = y.Real();
    switch (op) {
        case ExprOp::kAdd:
            SetReal(out, fx + fy);
            return true;
        case ExprOp::kSub:
            SetReal(out, fx - fy);
            return true;
        case ExprOp::kMul:
            SetReal(out, fx * fy);
            return true;
        case ExprOp::kDiv:
            SetReal(out, fx / fy);
            return true;
        case ExprOp::kMod:
            SetReal(out, std::fmod(fx, fy));
            return true;
        default:
            return false;
    }
}

bool PlainCompare(ExprOp op, const Plain& x, const Plain& y, Plain* out) {
    int order = 0;
    if (x.kind != Plain::kReal && y.kind != Plain::kReal) {
        order = x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
    } else {
        const float fx = x.Real();
        const float fy = y.Real();
        if (std::isnan(fx) || std::isnan(fy)) {
            // As Equals: NaN equals nothing, so only != holds.
            SetBool(out, op == ExprOp::kNe);
            return true;
        }
        order = fx < fy ? -1 : (fx > fy ? 1 : 0);
    }
    switch (op) {
        case ExprOp::kLt:
            SetBool(out, order < 0);
            return true;
        case ExprOp::kLe:
            SetBool(out, order <= 0);
            return true;
        case ExprOp::kGt:
            SetBool(out, order > 0);
            return true;
        case ExprOp::kGe:
            SetBool(out, order >= 0);
            return true;
        case ExprOp::kEq:
            SetBool(out, order == 0);
            return true;
        case ExprOp::kNe:
            SetBool(out, order != 0);
            return true;
        default:
            return false;
    }
}

bool PlainCall(const ExprNode& node, const Context& ctx, Plain* out) {
    const auto& args = node.children;
    Plain n;
    if (!EvalPlain(*args[0], ctx, &n)) {
        return false;
    }
    switch (node.func) {
        case ExprFunc::kMin:
        case ExprFunc::kMax: {
            Plain best = n;
            if (best.kind == Plain::kBool) {
                best.kind = Plain::kInt;
            }
            for (size_t i = 1; i < args.size(); ++i) {
                Plain candidate;
                if (!EvalPlain(*args[i], ctx, &candidate)) {
                    return false;
                }
                const bool isReal = best.kind == Plain::kReal || candidate.kind == Plain::kReal;
                const bool better =
                    isReal ? (node.func == ExprFunc::kMin ? candidate.Real() < best.Real()
                                                          : candidate.Real() > best.Real())
                           : (node.func == ExprFunc::kMin ? candidate.i < best.i
                                                          : candidate.i > best.i);
                if (better) {
                    best = candidate;
                    if (best.kind == Plain::kBool) {
                        best.kind = Plain::kInt;
                    }
                }
                if (isReal && best.kind != Plain::kReal) {
                    SetReal(&best, best.Real());
                }
            }
            *out = best;
            return true;
        }
        case ExprFunc::kPow: {
            Plain exponent;
            if (!EvalPlain(*args[1], ctx, &exponent)) {
                return false;
            }
            SetReal(out, std::pow(n.Real(), exponent.Real()));
            return true;
        }
        case ExprFunc::kInt:
            SetInt(out, n.kind == Plain::kReal ? TruncateToInt(n.f) : n.i);
            return true;
        case ExprFunc::kReal:
        case ExprFunc::kSin:
        case ExprFunc::kCos:
        case ExprFunc::kSqrt: {
            const float r = n.Real();
            SetReal(out, node.func == ExprFunc::kReal  ? r
                         : node.func == ExprFunc::kSin ? std::sin(r)
                         : node.func == ExprFunc::kCos ? std::cos(r)
                                                       : std::sqrt(r));
            return true;
        }
        case ExprFunc::kAbs:
            if (n.kind == Plain::kReal) {
                SetReal(out, std::fabs(n.f));
            } else {
                SetInt(out, n.i < 0 ? Wrap(-int64_t{n.i}) : n.i);
            }
            return true;
        case ExprFunc::kFloor:
            SetInt(out, n.kind == Plain::kReal ? TruncateToInt(std::floor(n.f)) : n.i);
            return true;
        case ExprFunc::kCeil:
            SetInt(out, n.kind == Plain::kReal ? TruncateToInt(std::ceil(n.f)) : n.i);
            return true;
        default:
            return false;
    }
}

bool EvalPlain(const ExprNode& node, const Context& ctx, Plain* out) {
    switch (node.kind) {
        case ExprNodeKind::kLiteral:
            return PlainOf(node.literal, out);
        case ExprNodeKind::kName: {
            if (const ExprValue* variable = FindVariable(node, ctx)) {
                return PlainOf(*variable, out);
            }
            ExprValue constant;
            return FindConstant(node.name, &constant) && PlainOf(constant, out);
        }
        case ExprNodeKind::kUnary: {
            Plain operand;
            if (!EvalPlain(*node.children[0], ctx, &operand)) {
                return false;
            }
            if (node.op == ExprOp::kNot) {
                SetBool(out, !operand.Truth());
            } else if (operand.kind == Plain::kReal) {
                SetReal(out, -operand.f);
            } else {
                SetInt(out, Wrap(-int64_t{operand.i}));
            }
            return true;
        }
        case ExprNodeKind::kBinary: {
            Plain a;
            Plain b;
            if (!EvalPlain(*node.children[0], ctx, &a) || !EvalPlain(*node.children[1], ctx, &b)) {
                return false;
            }
            switch (node.op) {
                case ExprOp::kAdd:
                case ExprOp::kSub:
                case ExprOp::kMul:
                case ExprOp::kDiv:
                case ExprOp::kMod:
                    return PlainArithmetic(node.op, a, b, out);
                default:
                    return PlainCompare(node.op, a, b, out);
            }
        }
        case ExprNodeKind::kAnd:
        case ExprNodeKind::kOr: {
            Plain a;
            if (!EvalPlain(*node.children[0], ctx, &a)) {
                return false;
            }
            const bool isAnd = node.kind == ExprNodeKind::kAnd;
            if (a.Truth() != isAnd) {
                SetBool(out, !isAnd);
                return true;
            }
            Plain b;
            if (!EvalPlain(*node.children[1], ctx, &b)) {
                return false;
            }
            SetBool(out, b.Truth());
            return true;
        }
        case ExprNodeKind::kConditional: {
            Plain condition;
            if (!EvalPlain(*node.children[0], ctx, &condition)) {
                return false;
            }
            return EvalPlain(*node.children[condition.Truth() ? 1 : 2], ctx, out);
        }
        case ExprNodeKind::kCall:
            return PlainCall(node, ctx, out);
        default:
            return false;
    }
}

ExprValue EvalRoot(const ExprNode& root, const Context& ctx) {
    if (root.numeric) {
        Plain plain;
        if (EvalPlain(root, ctx, &plain)) {
            switch (plain.kind) {
                case Plain::kInt:
                    return ExprValue::FromInt(plain.i);
                case Plain::kReal:
                    return ExprValue::FromFloat(plain.f);
                case Plain::kBool:
                    return ExprValue::FromBool(plain.i != 0);
            }
        }
    }
    return EvalNode(root, ctx);
}

}  // namespace

bool ExprEvaluator::LookupName(std::string_view name, const VariableTable* vars, bool mainThread,
                               ExprValue* out) {
    if (vars != nullptr) {
        if (const ExprValue* local = vars->Find(name)) {
            if (out != nullptr) {
                *out = *local;
            }
            return true;
        }
    }
    // The global table is main-thread data; a loader thread evaluating a data file skips it.
    if (mainThread) {
        if (const VariableTable* globals = GetGlobalVariables()) {
            if (const ExprValue* global = globals->Find(name)) {
                if (out != nullptr) {
                    *out = *global;
                }
                return true;
            }
        }
    }
    if (out == nullptr) {
        return HasConstant(name);
    }
    return FindConstant(name, out);
}

ExprValue ExprEvaluator::Evaluate(const ParsedExpr& expr, const VariableTable* vars) {
    if (!expr.ok) {
        return ExprValue::FromString(expr.text);
    }
    if (!expr.root) {
        return ExprValue::FromInt(0);
    }
    Context ctx{vars, IsMainThread(), &expr};
    return EvalRoot(*expr.root, ctx);
}
