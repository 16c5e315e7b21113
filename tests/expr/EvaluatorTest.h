#pragma once
// A fixture for evaluating expressions on the main thread against an empty constant table, no
// global variables and a variable table of the test's own.

#include <gtest/gtest.h>

#include <string>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

class EvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        ClearConstants();
        SetGlobalVariables(nullptr);
    }
    void TearDown() override {
        SetGlobalVariables(nullptr);
        ClearConstants();
    }
    ExprValue Eval(const std::string& text) { return ExpressionEvaluator(&mVars).Evaluate(text); }

    VariableTable mVars;
};
