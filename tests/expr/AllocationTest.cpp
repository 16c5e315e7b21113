// Evaluating a cached numeric expression must not touch the heap: scripts evaluate every
// parameter of every command each time it runs. Counted by replacing the global allocator for
// this test program.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "FakeObjects.h"
#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

namespace {
std::atomic<long> gAllocations{0};
}

// The replacement pairs are malloc/free on both sides; GCC cannot see through the forwarding.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(AllocationTest, CachedNumericExpressionAllocatesNothing) {
    SetMainThread();
    ClearConstants();
    SetConstant("tile", ExprValue::FromInt(32));
    auto widget = std::make_unique<Widget>();
    widget->mX = 2.0f;
    VariableTable vars;
    vars.Set("a", ExprValue::FromInt(3));
    vars.Set("b", ExprValue::FromFloat(0.5f));
    vars.Set("self", ExprValue::FromObject(widget.get()));
    ExpressionEvaluator evaluator(&vars);
    const char* texts[] = {
        "a * 2 + b",
        "a * tile / 2 - (b > 0.25 ? 1 : 0)",
        "min(a, 10) + abs(-b) + sin(b) * floor(2.5) + self.x",
        "a == 3 and not (b lt 0)",
    };
    for (const char* text : texts) {
        float first = evaluator.Evaluate(text).AsReal();  // parses and caches
        long before = gAllocations.load();
        float again = evaluator.Evaluate(text).AsReal();
        EXPECT_EQ(gAllocations.load(), before) << text;
        EXPECT_EQ(first, again);
    }
    ClearConstants();
}
