#include "core/expr/MainThreadAssert.h"

#include <cstdio>
#include <cstdlib>

#include "core/expr/MainThread.h"

void AssertMainThread(const char* what) {
    if (!IsMainThread()) {
        std::fprintf(stderr, "%s called off the main thread\n", what);
        std::abort();
    }
}
