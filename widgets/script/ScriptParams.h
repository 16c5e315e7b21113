#pragma once
// The typed parameter readers that every script command uses. A reader looks at one command's
// parameters and evaluates them with the scripted widget's evaluator, afresh on every read:
// nothing is cached, so a parameter read twice around a change of a variable gives two values.
//
// The widget-level lookups that need the asset and font tables (images, sounds, fonts, named
// ids) are left to the scripted widget; this class holds what needs only the command and the
// variables.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/expr/ExprValue.h"

class AnimationCommand;
class ExpressionEvaluator;
class Widget;

// A real coordinate of this value means "not given": the current value stays.
inline constexpr float kNotGiven = 268435456.0f;  // 2^28
inline bool IsNotGiven(float value) {
    return value == kNotGiven;
}

class ScriptParams {
public:
    // command may be null (every parameter absent); evaluator is not owned and must outlive the
    // reader. Main thread.
    ScriptParams(const AnimationCommand* command, const ExpressionEvaluator* evaluator)
        : mCommand(command), mEvaluator(evaluator) {}

    void SetCommand(const AnimationCommand* command) { mCommand = command; }
    const AnimationCommand* GetCommand() const { return mCommand; }

    // Whether the command gives the parameter at all (an empty text counts as given).
    bool Has(std::string_view name) const;
    // The raw text; a shared empty text when absent. Valid while the command lives.
    const std::string& FindText(std::string_view name) const;
    // The raw text evaluated; an absent parameter evaluates the empty text.
    ExprValue Eval(std::string_view name) const;

    // The parameter evaluated and converted; absent parameters evaluate the empty text. The "Or"
    // forms give the fallback instead when the parameter is absent.
    std::string GetString(std::string_view name) const;
    int32_t GetInt(std::string_view name) const;
    int32_t GetIntOr(std::string_view name, int32_t fallback) const;  // fallback when absent
    float GetFloat(std::string_view name) const;
    float GetFloatOr(std::string_view name, float fallback) const;
    bool GetBool(std::string_view name) const;
    bool GetBoolOr(std::string_view name, bool fallback) const;
    // The value's widget when it is an object reference; else the widget that the variable named
    // by the value's text refers to; null when neither (or when the widget is gone).
    Widget* GetObject(std::string_view name) const;

    // A condition text: fallback when empty, else the text evaluated as a bool.
    bool EvalCondition(std::string_view text, bool fallback) const;

    // The raw text split at top-level commas without evaluating (property names, event names).
    std::vector<std::string> GetNameList(std::string_view name) const;
    // The text evaluated as a comma-separated list; empty when absent.
    std::vector<ExprValue> GetValueList(std::string_view name) const;
    // As GetValueList, each value turned into text and read as a real (0 for a text that is not
    // a number).
    std::vector<float> GetRealList(std::string_view name) const;

private:
    const AnimationCommand* mCommand;
    const ExpressionEvaluator* mEvaluator;
};

// Pads a list of values to count entries by repeating its last value; an empty list stays empty
// (the caller then keeps the current values). A longer list is cut to count.
void PadWithLast(std::vector<float>* values, size_t count);
// Value i of a list padded with its last value; fallback when the list is empty.
float PaddedValue(const std::vector<float>& values, size_t i, float fallback);
