// Defaults for the sanitizer runtimes, linked into the game and every test program. Only
// sanitized builds read them; elsewhere they are unused functions.

#include <dlfcn.h>

extern "C" {
// Leaks inside system libraries we do not own (GL drivers, font configuration, D-Bus, SDL's own
// one-time allocations) are not ours to fix.
const char* __lsan_default_suppressions() {
    return "leak:libGLX_mesa\nleak:libEGL_mesa\nleak:swrast_dri\nleak:libgallium\n"
           "leak:libLLVM\nleak:libglapi\nleak:libfontconfig\nleak:libdbus\nleak:libSDL2\n"
           "leak:libX11\n";
}
const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
}

#if defined(__SANITIZE_ADDRESS__)
// SDL unloads the GL driver at exit; what the driver leaked is then reported from an unknown
// module that no suppression can name. Pinning the driver keeps its frames symbolised, so the
// suppressions above apply. A library that is missing is simply not pinned.
__attribute__((constructor)) static void PinGraphicsDrivers() {
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
#endif
