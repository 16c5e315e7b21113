#include "widgets/script/ScriptParams.h"

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"
#include "widgets/script/AnimationCommand.h"
#include "widgets/script/ScriptStrings.h"

namespace {
const std::string kEmptyText;
}

bool ScriptParams::Has(std::string_view name) const {
    return mCommand != nullptr && mCommand->HasParam(name);
}

const std::string& ScriptParams::FindText(std::string_view name) const {
    if (mCommand == nullptr) {
        return kEmptyText;
    }
    const std::string* text = mCommand->FindParam(name);
    return text ? *text : kEmptyText;
}

ExprValue ScriptParams::Eval(std::string_view name) const {
    return mEvaluator->Evaluate(FindText(name));
}

std::string ScriptParams::GetString(std::string_view name) const {
    return Eval(name).AsString();
}

int32_t ScriptParams::GetInt(std::string_view name) const {
    return Eval(name).AsInt();
}

int32_t ScriptParams::GetIntOr(std::string_view name, int32_t fallback) const {
    return Has(name) ? GetInt(name) : fallback;
}

float ScriptParams::GetFloat(std::string_view name) const {
    return Eval(name).AsReal();
}

float ScriptParams::GetFloatOr(std::string_view name, float fallback) const {
    return Has(name) ? GetFloat(name) : fallback;
}

bool ScriptParams::GetBool(std::string_view name) const {
    return Eval(name).AsBool();
}

bool ScriptParams::GetBoolOr(std::string_view name, bool fallback) const {
    return Has(name) ? GetBool(name) : fallback;
}

Widget* ScriptParams::GetObject(std::string_view name) const {
    const ExprValue value = Eval(name);
    if (value.GetTag() == ExprValue::kObject) {
        return value.AsObject();
    }
    const VariableTable* vars = mEvaluator->GetVariables();
    if (vars == nullptr) {
        return nullptr;
    }
    const ExprValue* named = vars->Find(value.AsString());
    return named ? named->AsObject() : nullptr;
}

bool ScriptParams::EvalCondition(std::string_view text, bool fallback) const {
    if (text.empty()) {
        return fallback;
    }
    return mEvaluator->Evaluate(text).AsBool();
}

std::vector<std::string> ScriptParams::GetNameList(std::string_view name) const {
    return ExpressionEvaluator::SplitArguments(FindText(name));
}

std::vector<ExprValue> ScriptParams::GetValueList(std::string_view name) const {
    if (!Has(name)) {
        return {};
    }
    return mEvaluator->EvaluateList(FindText(name));
}

std::vector<float> ScriptParams::GetRealList(std::string_view name) const {
    std::vector<float> reals;
    for (const ExprValue& value : GetValueList(name)) {
        // Integers and reals read directly; anything else goes through its text, as a list of
        // quoted numbers in a data file would.
        if (value.GetTag() == ExprValue::kInt || value.GetTag() == ExprValue::kReal) {
            reals.push_back(value.AsReal());
        } else {
            reals.push_back(StringToFloat(value.AsString()));
        }
    }
    return reals;
}

void PadWithLast(std::vector<float>* values, size_t count) {
    if (values->empty()) {
        return;
    }
    const float last = values->back();
    values->resize(count, last);
}

float PaddedValue(const std::vector<float>& values, size_t i, float fallback) {
    if (values.empty()) {
        return fallback;
    }
    return i < values.size() ? values[i] : values.back();
}
