#include "widgets/controls/MovieLibraries.h"

#include <dlfcn.h>

#include <libavutil/macros.h>

namespace {

// The versions the player was compiled against: a library of another major version has
// another interface.
constexpr const char* kAvutil = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
constexpr const char* kSwscale = "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR);
constexpr const char* kAvcodec = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr const char* kAvformat = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);

struct Opened {
    MovieLibraries calls;
    std::string error;  // empty when every call was found
};

Opened Open() {
    Opened opened;
    // Opened for good: the process keeps them to its end, as it kept them when linked.
    void* avutil = dlopen(kAvutil, RTLD_NOW | RTLD_LOCAL);
    void* swscale = avutil ? dlopen(kSwscale, RTLD_NOW | RTLD_LOCAL) : nullptr;
    void* avcodec = swscale ? dlopen(kAvcodec, RTLD_NOW | RTLD_LOCAL) : nullptr;
    void* avformat = avcodec ? dlopen(kAvformat, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (avformat == nullptr) {
        const char* why = dlerror();
        opened.error = why ? why : "the movie libraries can't be opened";
        return opened;
    }
#define P7_MOVIE_CALL_LOOKUP(library, name)                                         \
    opened.calls.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
    if (opened.calls.name == nullptr) {                                             \
        opened.error = "the movie libraries lack " #name;                           \
        return opened;                                                              \
    }
    P7_MOVIE_CALLS(P7_MOVIE_CALL_LOOKUP)
#undef P7_MOVIE_CALL_LOOKUP
    return opened;
}

}  // namespace

const MovieLibraries* OpenMovieLibraries(std::string* error) {
    static const Opened opened = Open();
    if (!opened.error.empty()) {
        if (error != nullptr) {
            *error = opened.error;
        }
        return nullptr;
    }
    return &opened.calls;
}
