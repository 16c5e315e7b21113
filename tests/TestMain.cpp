// Shared entry of every test program: a headless environment that does not depend on how the
// test was started (ctest, by hand, under a debugger).
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Keep a value a developer set by hand; otherwise run without a display or sound device.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("P7_SOURCE_DIR", P7_SOURCE_DIR, 0);
    setenv("P7_BINARY_DIR", P7_BINARY_DIR, 0);
    // CTest already runs a test per core: the software renderer's own drawing threads would only
    // make the tests wait on one another's cores (a tenth more processor time here), and they
    // draw the same pixels without them.
    setenv("LP_NUM_THREADS", "0", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
