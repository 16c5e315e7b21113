#pragma once
// Small SWF movies made by the tests with libavcodec's Sorenson Spark encoder and libavformat's
// SWF writer (the kind of file the game's movies are): frame k is filled with TestMovieColour(k),
// so a test can tell which frame is painted. Also a zlib-compressed copy and a movie of vector
// drawings only, which the SWF reader accepts but which holds no video.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

// Saturated colours that survive the encoder's rounding well apart from each other.
inline uint32_t TestMovieColour(int frame) {
    static const uint32_t kColours[] = {0xFFC83232, 0xFF32C832, 0xFF3232C8, 0xFFC8C832,
                                        0xFF32C8C8, 0xFFC832C8, 0xFFF0F0F0, 0xFF202020};
    return kColours[frame % 8];
}

// Writes a movie of frames frames at fps frames a second; false when the encoder or the writer
// is missing.
inline bool WriteTestMovie(const std::string& path, int frames, int fps, int width, int height) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLV1);
    if (codec == nullptr) {
        return false;
    }
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, "swf", path.c_str()) < 0) {
        return false;
    }
    AVCodecContext* enc = avcodec_alloc_context3(codec);
    enc->width = width;
    enc->height = height;
    enc->time_base = AVRational{1, fps};
    enc->framerate = AVRational{fps, 1};
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->gop_size = 3;
    enc->flags |= AV_CODEC_FLAG_QSCALE;
    enc->global_quality = FF_QP2LAMBDA * 2;
    AVStream* stream = avformat_new_stream(out, nullptr);
    bool ok = avcodec_open2(enc, codec, nullptr) >= 0 &&
              avcodec_parameters_from_context(stream->codecpar, enc) >= 0;
    stream->time_base = enc->time_base;
    stream->avg_frame_rate = enc->framerate;
    ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
         avformat_write_header(out, nullptr) >= 0;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    ok = ok && av_frame_get_buffer(frame, 0) >= 0;
    auto drain = [&] {
        while (avcodec_receive_packet(enc, packet) == 0) {
            av_packet_rescale_ts(packet, enc->time_base, stream->time_base);
            packet->stream_index = stream->index;
            ok = ok && av_interleaved_write_frame(out, packet) >= 0;
        }
    };
    for (int k = 0; ok && k <= frames; ++k) {
        if (k == frames) {
            avcodec_send_frame(enc, nullptr);
            drain();
            break;
        }
        ok = av_frame_make_writable(frame) >= 0;
        const uint32_t c = TestMovieColour(k);
        const double r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        // BT.601 studio range, as the decoder's conversion expects.
        const int y = int(16 + (65.738 * r + 129.057 * g + 25.064 * b) / 256 + 0.5);
        const int u = int(128 + (-37.945 * r - 74.494 * g + 112.439 * b) / 256 + 0.5);
        const int v = int(128 + (112.439 * r - 94.154 * g - 18.285 * b) / 256 + 0.5);
        for (int row = 0; row < height; ++row) {
            std::fill_n(frame->data[0] + row * frame->linesize[0], width, uint8_t(y));
        }
        for (int row = 0; row < (height + 1) / 2; ++row) {
            std::fill_n(frame->data[1] + row * frame->linesize[1], (width + 1) / 2, uint8_t(u));
            std::fill_n(frame->data[2] + row * frame->linesize[2], (width + 1) / 2, uint8_t(v));
        }
        frame->pts = k;
        ok = ok && avcodec_send_frame(enc, frame) >= 0;
        drain();
    }
    if (out->pb != nullptr) {
        ok = av_write_trailer(out) >= 0 && ok;
        avio_closep(&out->pb);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&enc);
    avformat_free_context(out);
    return ok;
}

inline std::string ReadTestFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same movie with its body zlib-compressed ("CWS"), as authoring tools save them.
inline bool CompressTestMovie(const std::string& from, const std::string& to) {
    const std::string plain = ReadTestFile(from);
    if (plain.size() < 8 || plain.compare(0, 3, "FWS") != 0) {
        return false;
    }
    uLongf size = compressBound(uLong(plain.size() - 8));
    std::string packed(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>(plain.data() + 8),
                 uLong(plain.size() - 8)) != Z_OK) {
        return false;
    }
    packed.resize(size);
    std::ofstream(to, std::ios::binary) << "CWS" << plain.substr(3, 5) << packed;
    return true;
}

// A movie of one empty frame: a header, a ShowFrame tag and the End tag, no video.
inline std::string VectorOnlyMovie() {
    std::string body;
    body += '\0';                        // the frame rectangle, no bits per field
    body += std::string("\x00\x0C", 2);  // 12 frames a second
    body += std::string("\x01\x00", 2);  // one frame
    body += std::string("\x40\x00", 2);  // ShowFrame
    body += std::string("\x00\x00", 2);  // End
    const uint32_t length = uint32_t(8 + body.size());
    std::string file = "FWS";
    file += char(6);
    for (int i = 0; i < 4; ++i) {
        file += char((length >> (8 * i)) & 0xFF);
    }
    return file + body;
}
