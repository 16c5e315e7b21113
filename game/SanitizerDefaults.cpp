// Defaults for the sanitizer runtimes, linked into the game and every test program. Only
// sanitized builds read them; elsewhere they are unused functions.

#include <dlfcn.h>

extern "C" {
// Leaks inside system libraries we do not own (GL drivers, font configuration, D-Bus, SDL's own
// one-time allocations) are not ours to fix.
const char* __lsan_default_suppressions() {
    return "leak:libGLX_mesa\nleak:libEGL_mesa\nleak:swrast_dri\nleak:libgallium\n"
           "leak:libLLVM\nleak:libglapi\nleak:libfontconfig\nleak:libdbus\nleak:libSDL2\n"
           "leak:libX11\n"
           // The movie libraries' dependencies allocate once when they are loaded.
           "leak:libsrt-gnutls\nleak:libglib-2.0\n"
           // The dynamic loader's own lists of loaded libraries and its table of their
           // thread-local blocks (grown when a library is opened while the program runs),
           // reported once its allocations stop counting as roots (below).
           "leak:add_to_global_resize\nleak:_dl_map_object_deps\nleak:_dl_resize_dtv\n";
}
// Walking the threads' dynamic TLS can crash the leak checker's tracer once the GL driver's
// libraries are loaded (seen as "Tracer caught signal 11" at exit, depending on the stack
// layout). Our one thread_local table is destroyed before the check runs, so nothing of ours is
// held only by TLS then; the loader's lists that this leaves unreferenced are suppressed above.
const char* __lsan_default_options() {
    return "use_tls=0";
}
const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
// A race fails the run at once. The GL driver, SDL's audio and event threads and the sound
// server client run their own threads inside libraries that are not instrumented; what they do
// among themselves is not ours to judge.
const char* __tsan_default_options() {
    return "halt_on_error=1:second_deadlock_stack=1:report_signal_unsafe=0";
}
const char* __tsan_default_suppressions() {
    return "called_from_lib:libGLX_mesa\ncalled_from_lib:libEGL_mesa\n"
           "called_from_lib:swrast_dri\ncalled_from_lib:kms_swrast_dri\n"
           "called_from_lib:libgallium\ncalled_from_lib:libLLVM\ncalled_from_lib:libglapi\n"
           "called_from_lib:libfontconfig\ncalled_from_lib:libdbus\n"
           "called_from_lib:libpulse.so\ncalled_from_lib:libasound.so\n"
           // The X client libraries (Xlib, its extensions, xcb, GLX) and SDL's X11 layer lock
           // in their own ways: in either order, released by another library or thread than
           // took them, held while destroyed. None of our data passes through those locks.
           "mutex:libX\nmutex:libxcb\nmutex:libGLX\nmutex:libSDL2\n"
           "deadlock:libX\ndeadlock:libxcb\ndeadlock:libGLX\n";
}
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// SDL unloads the GL driver at exit; what the driver leaked is then reported from an unknown
// module that no suppression can name, and ThreadSanitizer stops when a library named in a
// suppression goes away. Pinning the driver keeps it loaded and its frames symbolised, so the
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
