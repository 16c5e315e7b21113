#pragma once
// Builds an easing curve from the name a script gives: "linear", "in_<base>", the prefixes
// "out_", "in_out_" and "out_in_" over any base, or else an expression in t.

#include <memory>
#include <string_view>

#include "widgets/anim/EasingCurve.h"

class ScriptParams;
class VariableTable;

// The curve of that name. params supplies "base", "period", "fraction" and "accel" of the curves
// that take them (null: their defaults); vars is copied into an expression curve (may be null).
// Never null. Main thread.
std::unique_ptr<EasingCurve> MakeEasingCurve(std::string_view name, const ScriptParams* params,
                                             const VariableTable* vars);
