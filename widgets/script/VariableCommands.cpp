// "define", "define-global", "assign", "assign-global" and the four commands that remove
// variables.

#include "core/expr/GlobalVariables.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

// Every parameter in name order, each evaluated after the one before it was stored.
void DefineAll(ScriptContext& c, VariableTable* vars) {
    for (const auto& [name, text] : c.Command().mParams) {
        ExprValue value = c.Host().GetEvaluator().Evaluate(text);
        vars->Set(name, std::move(value));
    }
}

Outcome Define(ScriptContext& c) {
    DefineAll(c, &c.Vars());
    return ScriptContext::kDone;
}

Outcome DefineGlobal(ScriptContext& c) {
    if (VariableTable* globals = GetGlobalVariables()) {
        DefineAll(c, globals);
    }
    return ScriptContext::kDone;
}

Outcome Assign(ScriptContext& c) {
    c.Vars().Set(c.Params().GetString("name"), c.Params().Eval("value"));
    return ScriptContext::kDone;
}

Outcome AssignGlobal(ScriptContext& c) {
    if (VariableTable* globals = GetGlobalVariables()) {
        globals->Set(c.Params().GetString("name"), c.Params().Eval("value"));
    }
    return ScriptContext::kDone;
}

Outcome Undefine(ScriptContext& c) {
    c.Vars().Erase(c.Params().FindText("name"));
    return ScriptContext::kDone;
}

Outcome Unassign(ScriptContext& c) {
    c.Vars().Erase(c.Params().GetString("name"));
    return ScriptContext::kDone;
}

Outcome UndefineGlobal(ScriptContext& c) {
    if (VariableTable* globals = GetGlobalVariables()) {
        globals->Erase(c.Params().FindText("name"));
    }
    return ScriptContext::kDone;
}

Outcome UnassignGlobal(ScriptContext& c) {
    if (VariableTable* globals = GetGlobalVariables()) {
        globals->Erase(c.Params().GetString("name"));
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterVariableCommands(CommandTable& table) {
    table.general["define"] = Define;
    table.general["define-global"] = DefineGlobal;
    table.general["assign"] = Assign;
    table.general["assign-global"] = AssignGlobal;
    table.general["undefine"] = Undefine;
    table.general["unassign"] = Unassign;
    table.general["undefine-global"] = UndefineGlobal;
    table.general["unassign-global"] = UnassignGlobal;
}
