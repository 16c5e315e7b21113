#pragma once
// The movie libraries (libavformat, libavcodec, libswscale, libavutil), opened when the first
// movie is loaded instead of at the program's start: linked in, they and the hundred-odd
// libraries they bring cost every start some 40 ms before the window could open, and some
// 20 MiB, for the movie that only the credits show. The calls the movie player makes are looked
// up by name into one process-wide table.

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

// Each call the player makes, with the library it comes from.
#define P7_MOVIE_CALLS(CALL)                     \
    CALL(avutil, av_log_set_level)               \
    CALL(avutil, av_strerror)                    \
    CALL(avutil, av_malloc)                      \
    CALL(avutil, av_free)                        \
    CALL(avutil, av_freep)                       \
    CALL(avutil, av_frame_alloc)                 \
    CALL(avutil, av_frame_free)                  \
    CALL(avutil, av_frame_unref)                 \
    CALL(avutil, av_rescale_q)                   \
    CALL(swscale, sws_getCachedContext)          \
    CALL(swscale, sws_scale)                     \
    CALL(swscale, sws_freeContext)               \
    CALL(avcodec, av_packet_alloc)               \
    CALL(avcodec, av_packet_free)                \
    CALL(avcodec, av_packet_unref)               \
    CALL(avcodec, avcodec_alloc_context3)        \
    CALL(avcodec, avcodec_free_context)          \
    CALL(avcodec, avcodec_parameters_to_context) \
    CALL(avcodec, avcodec_open2)                 \
    CALL(avcodec, avcodec_send_packet)           \
    CALL(avcodec, avcodec_receive_frame)         \
    CALL(avformat, avio_alloc_context)           \
    CALL(avformat, avio_context_free)            \
    CALL(avformat, avformat_alloc_context)       \
    CALL(avformat, avformat_open_input)          \
    CALL(avformat, avformat_close_input)         \
    CALL(avformat, avformat_find_stream_info)    \
    CALL(avformat, av_find_input_format)         \
    CALL(avformat, av_find_best_stream)          \
    CALL(avformat, av_read_frame)

struct MovieLibraries {
#define P7_MOVIE_CALL_POINTER(library, name) decltype(&::name) name = nullptr;
    P7_MOVIE_CALLS(P7_MOVIE_CALL_POINTER)
#undef P7_MOVIE_CALL_POINTER
};

// The table, the libraries opened on the first call (any thread; later calls wait for the
// first). Null when a library or a call is missing, with the reason in *error (the same reason
// on every call).
const MovieLibraries* OpenMovieLibraries(std::string* error);
