#pragma once
// The movie libraries (libavformat, libavcodec, libavutil, libswscale), opened when the first
// movie player is made rather than when the game starts: with the hundred libraries they pull
// in they cost some 19 MiB of resident memory, which a game that shows no movie (the title, the
// puzzles) never uses. Each function the movie player calls is reached through this table.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <string>

// The functions, each under its library's own name.
#define P7_MOVIE_FUNCTIONS(X)                 \
    X(avutil, av_strerror)                    \
    X(avutil, av_log_set_level)               \
    X(avutil, av_frame_alloc)                 \
    X(avutil, av_frame_free)                  \
    X(avutil, av_frame_unref)                 \
    X(avutil, av_malloc)                      \
    X(avutil, av_free)                        \
    X(avutil, av_freep)                       \
    X(avutil, av_rescale_q)                   \
    X(avcodec, av_packet_alloc)               \
    X(avcodec, av_packet_free)                \
    X(avcodec, av_packet_unref)               \
    X(avcodec, avcodec_alloc_context3)        \
    X(avcodec, avcodec_free_context)          \
    X(avcodec, avcodec_parameters_to_context) \
    X(avcodec, avcodec_open2)                 \
    X(avcodec, avcodec_send_packet)           \
    X(avcodec, avcodec_receive_frame)         \
    X(avformat, avformat_alloc_context)       \
    X(avformat, avformat_open_input)          \
    X(avformat, avformat_close_input)         \
    X(avformat, avformat_find_stream_info)    \
    X(avformat, av_find_input_format)         \
    X(avformat, av_find_best_stream)          \
    X(avformat, av_read_frame)                \
    X(avformat, avio_alloc_context)           \
    X(avformat, avio_context_free)            \
    X(swscale, sws_getCachedContext)          \
    X(swscale, sws_scale)                     \
    X(swscale, sws_freeContext)

class MovieLibraries {
public:
#define P7_MOVIE_FUNCTION_POINTER(library, name) decltype(&::name) name = nullptr;
    P7_MOVIE_FUNCTIONS(P7_MOVIE_FUNCTION_POINTER)
#undef P7_MOVIE_FUNCTION_POINTER

    // The process-wide table, the libraries opened on the first call and kept from then on;
    // null when a library or one of its functions is missing (error then says which, on every
    // call). Any thread.
    static const MovieLibraries* Get(std::string* error);

private:
    // Opens the libraries and fills the table; false with error set when one is missing.
    bool Open(std::string* error);
};
