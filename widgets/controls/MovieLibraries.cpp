#include "widgets/controls/MovieLibraries.h"

#include <dlfcn.h>

#include <mutex>

namespace {

// The library names of the versions the headers describe, so a table is never filled from
// libraries of another interface.
#define P7_STRINGIFY_VALUE(value) #value
#define P7_SONAME(library, major) "lib" library ".so." P7_STRINGIFY_VALUE(major)

struct Library {
    const char* mKey;
    const char* mName;
    void* mHandle;
};

}  // namespace

bool MovieLibraries::Open(std::string* error) {
    // Dependencies first, although each would load the ones below it anyway.
    Library libraries[] = {
        {"avutil", P7_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), nullptr},
        {"swscale", P7_SONAME("swscale", LIBSWSCALE_VERSION_MAJOR), nullptr},
        {"avcodec", P7_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), nullptr},
        {"avformat", P7_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), nullptr},
    };
    for (Library& library : libraries) {
        library.mHandle = dlopen(library.mName, RTLD_NOW | RTLD_LOCAL);
        if (library.mHandle == nullptr) {
            const char* why = dlerror();
            *error = std::string("the movie library ") + library.mName + " can't be loaded (" +
                     (why != nullptr ? why : "?") + ")";
            return false;
        }
    }
    auto find = [&libraries, error](const char* key, const char* name) -> void* {
        for (const Library& library : libraries) {
            if (std::string(library.mKey) == key) {
                if (void* symbol = dlsym(library.mHandle, name)) {
                    return symbol;
                }
            }
        }
        *error = std::string("the movie libraries lack the function ") + name;
        return nullptr;
    };
#define P7_MOVIE_FUNCTION_FIND(library, name)                          \
    name = reinterpret_cast<decltype(&::name)>(find(#library, #name)); \
    if (name == nullptr) {                                             \
        return false;                                                  \
    }
    P7_MOVIE_FUNCTIONS(P7_MOVIE_FUNCTION_FIND)
#undef P7_MOVIE_FUNCTION_FIND
    // The handles stay open for the rest of the process: the table points into them.
    return true;
}

const MovieLibraries* MovieLibraries::Get(std::string* error) {
    static std::once_flag once;
    static MovieLibraries table;
    static bool opened = false;
    static std::string failure;
    std::call_once(once, [] { opened = table.Open(&failure); });
    if (!opened) {
        if (error != nullptr) {
            *error = failure;
        }
        return nullptr;
    }
    return &table;
}
