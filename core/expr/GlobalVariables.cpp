#include "core/expr/GlobalVariables.h"

#include <atomic>

namespace {
// Atomic so that a loader thread that asks never sees a torn pointer; the table itself is
// main-thread data (the evaluator skips it elsewhere).
std::atomic<VariableTable*> gGlobalVariables{nullptr};
}  // namespace

VariableTable* GetGlobalVariables() {
    return gGlobalVariables.load(std::memory_order_acquire);
}

void SetGlobalVariables(VariableTable* table) {
    gGlobalVariables.store(table, std::memory_order_release);
}
