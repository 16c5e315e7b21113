// Shared entry of every test program: a headless environment that does not depend on how the
// test was started (ctest, by hand, under a debugger).
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>

extern "C" {
// Leaks inside system libraries we do not own (GL drivers, font configuration, D-Bus, SDL's
// own one-time allocations) are not ours to fix.
const char* __lsan_default_suppressions() {
    return "leak:libGLX_mesa\nleak:libEGL_mesa\nleak:swrast_dri\nleak:libgallium\n"
           "leak:libLLVM\nleak:libglapi\nleak:libfontconfig\nleak:libdbus\nleak:libSDL2\nleak:libX11\n";
}
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
}

// The GL driver is loaded and unloaded by SDL; what it leaks is then reported from an unknown
// module that no suppression can name. Pinning the driver keeps its frames symbolised, so the
// suppressions above apply. Missing libraries are fine: the tests that need them will say so.
static void PinGraphicsDrivers() {
    const char* const libraries[] = {
        "libEGL_mesa.so.0",
        "libGLX_mesa.so.0",
        "libglapi.so.0",
        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so",
    };
    for (const char* library : libraries) {
        dlopen(library, RTLD_LAZY | RTLD_GLOBAL | RTLD_NODELETE);
    }
}

int main(int argc, char** argv) {
    PinGraphicsDrivers();
    // Keep a value a developer set by hand; otherwise run without a display or sound device.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("P7_SOURCE_DIR", P7_SOURCE_DIR, 0);
    setenv("P7_BINARY_DIR", P7_BINARY_DIR, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
