#include "widgets/controls/SwfMoviePlayer.h"

extern "C" {
#include <libavutil/macros.h>
}

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "graphics/ImageSurface.h"
#include "widgets/controls/MovieLibraries.h"

namespace {

// Times count fixed updates, 100 a second.
const AVRational kUpdateTime = {1, 100};
// A frame is seldom more than one update late; when the game falls far behind, the movie falls
// behind with it rather than decoding many frames in one update.
constexpr int kMaxFramesPerUpdate = 4;
constexpr int kIoBufferSize = 16 * 1024;

std::string AvError(const MovieLibraries& av, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av.av_strerror(code, text, sizeof(text));
    return text;
}

// The largest movie accepted once inflated, so that a lying header cannot ask for gigabytes.
constexpr uint32_t kMaxMovieBytes = 256u * 1024 * 1024;

// Turns a zlib-compressed movie ("CWS") into the plain form ("FWS") in place. The SWF reader of
// the libraries can inflate on its own, but it drops the last piece it inflates, so short
// movies come out empty and longer ones lose their last frames.
bool InflateMovie(std::string* data, std::string* error) {
    if (data->size() < 8 || data->compare(0, 3, "CWS") != 0) {
        return true;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(data->data());
    const uint32_t length = uint32_t(bytes[4]) | (uint32_t(bytes[5]) << 8) |
                            (uint32_t(bytes[6]) << 16) | (uint32_t(bytes[7]) << 24);
    if (length < 8 || length > kMaxMovieBytes) {
        *error = "compressed movie of an impossible length";
        return false;
    }
    std::string plain(length, '\0');
    plain.replace(0, 3, "FWS");
    plain.replace(3, 5, *data, 3, 5);
    uLongf size = length - 8;
    const int rc = uncompress(reinterpret_cast<Bytef*>(plain.data() + 8), &size, bytes + 8,
                              uLong(data->size() - 8));
    // A body longer than the header says is cut there, as the header's length rules.
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
        *error = "broken compressed movie";
        return false;
    }
    plain.resize(8 + size_t(size));
    *data = std::move(plain);
    return true;
}

// The files already reported, so a looping or reopened movie does not fill the log.
std::set<std::string>& ReportedFiles() {
    static std::set<std::string> files;
    return files;
}

}  // namespace

SwfMoviePlayer::SwfMoviePlayer() : mAv(OpenMovieLibraries(&mLibraryError)) {
    if (mAv == nullptr) {
        return;
    }
    // The libraries' own messages would go to the terminal; failures are logged here instead,
    // once per file.
    mAv->av_log_set_level(AV_LOG_QUIET);
    mShown = mAv->av_frame_alloc();
    mPending = mAv->av_frame_alloc();
    mPacket = mAv->av_packet_alloc();
}

SwfMoviePlayer::~SwfMoviePlayer() {
    if (mAv == nullptr) {
        return;
    }
    Close();
    mAv->av_frame_free(&mShown);
    mAv->av_frame_free(&mPending);
    mAv->av_packet_free(&mPacket);
    mAv->sws_freeContext(mScaler);
    mAv->av_freep(&mScratch);
}

int SwfMoviePlayer::ReadFromMemory(void* opaque, uint8_t* buffer, int size) {
    auto* file = static_cast<MemoryFile*>(opaque);
    const std::string& data = *file->mData;
    size_t& pos = file->mPos;
    const size_t left = data.size() - pos;
    if (left == 0) {
        return AVERROR_EOF;
    }
    const size_t n = std::min(left, size_t(size));
    std::memcpy(buffer, data.data() + pos, n);
    pos += n;
    return int(n);
}

int64_t SwfMoviePlayer::SeekInMemory(void* opaque, int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(opaque);
    const int64_t size = int64_t(file->mData->size());
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            base = int64_t(file->mPos);
            break;
        case SEEK_END:
            base = size;
            break;
        default:
            return -1;
    }
    const int64_t target = base + offset;
    if (target < 0 || target > size) {
        return -1;
    }
    file->mPos = size_t(target);
    return target;
}

void SwfMoviePlayer::LogOnce(const std::string& message) {
    if (ReportedFiles().insert(mPath).second) {
        LogWarning("Movie '%s': %s", mPath.c_str(), message.c_str());
    }
}

void SwfMoviePlayer::Close() {
    if (mAv == nullptr) {
        return;
    }
    mAv->avcodec_free_context(&mCodec);
    mAv->avformat_close_input(&mFormat);
    if (mIo != nullptr) {
        mAv->av_freep(&mIo->buffer);
        mAv->avio_context_free(&mIo);
    }
    mStream = -1;
    mFlushed = false;
}

bool SwfMoviePlayer::Load(const std::string& path, int width, int height) {
    (void)width, (void)height;  // painting follows the surface it is given
    Close();
    mPath = path;
    mHasFrame = false;
    mPlaying = false;
    mData.clear();
    if (mAv == nullptr) {
        LogOnce("movies can't be played (" + mLibraryError + "); it is not shown");
        return false;
    }
    if (mShown == nullptr || mPending == nullptr || mPacket == nullptr) {
        LogOnce("out of memory");
        return false;
    }
    if (!PakInterfaceBase::Get()->ReadWholeFile(path, &mData)) {
        LogOnce("the file can't be read; it is not shown");
        return false;
    }
    std::string error;
    if (!InflateMovie(&mData, &error) || !OpenFromStart(&error)) {
        Close();
        mHasFrame = false;
        LogOnce(error + "; it is not shown");
        return false;
    }
    mPlaying = true;
    return true;
}

bool SwfMoviePlayer::OpenFromStart(std::string* error) {
    Close();
    mIoState.mData = &mData;
    mIoState.mPos = 0;
    auto* buffer = static_cast<uint8_t*>(mAv->av_malloc(kIoBufferSize));
    if (buffer != nullptr) {
        mIo = mAv->avio_alloc_context(buffer, kIoBufferSize, 0, &mIoState, ReadFromMemory, nullptr,
                                      SeekInMemory);
    }
    if (mIo == nullptr) {
        mAv->av_free(buffer);
        *error = "out of memory";
        return false;
    }
    mFormat = mAv->avformat_alloc_context();
    if (mFormat == nullptr) {
        *error = "out of memory";
        return false;
    }
    mFormat->pb = mIo;
    mFormat->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Only the SWF reader is asked, so a file of another kind is refused rather than guessed.
    int rc = mAv->avformat_open_input(&mFormat, mPath.c_str(), mAv->av_find_input_format("swf"),
                                      nullptr);
    if (rc < 0) {
        *error = "not a movie file (" + AvError(*mAv, rc) + ")";
        return false;
    }
    // The reader finds its streams as it meets them: look through the file for them.
    rc = mAv->avformat_find_stream_info(mFormat, nullptr);
    if (rc < 0) {
        *error = "broken movie file (" + AvError(*mAv, rc) + ")";
        return false;
    }
    const AVCodec* decoder = nullptr;
    mStream = mAv->av_find_best_stream(mFormat, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (mStream < 0 || decoder == nullptr) {
        *error = mStream == AVERROR_DECODER_NOT_FOUND
                     ? "no decoder for its video"
                     : "it holds no video stream (vector drawings are not played)";
        return false;
    }
    const AVStream* stream = mFormat->streams[mStream];
    mCodec = mAv->avcodec_alloc_context3(decoder);
    if (mCodec == nullptr || mAv->avcodec_parameters_to_context(mCodec, stream->codecpar) < 0) {
        *error = "out of memory";
        return false;
    }
    mCodec->thread_count = 1;  // small frames; no threads behind the game's back
    rc = mAv->avcodec_open2(mCodec, decoder, nullptr);
    if (rc < 0) {
        *error = "its video can't be decoded (" + AvError(*mAv, rc) + ")";
        return false;
    }
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        rate = stream->r_frame_rate;
    }
    mFrameTicks =
        rate.num > 0 && rate.den > 0
            ? std::max<int64_t>(1, mAv->av_rescale_q(1, av_inv_q(rate), stream->time_base))
            : 1;

    mClock = 0;
    mHasPending = false;
    if (!DecodeFrame(mShown)) {
        *error = "no video frame could be decoded";
        return false;
    }
    mFirstPts = mShown->best_effort_timestamp != AV_NOPTS_VALUE ? mShown->best_effort_timestamp : 0;
    mHasFrame = true;
    mShownTime = 0;
    ++mShownSerial;
    mHasPending = DecodeFrame(mPending);
    mPendingTime = mHasPending ? std::max(mShownTime, TimeOf(mPending)) : 0;
    mEndTime = mHasPending ? 0 : mShownTime + std::max<int64_t>(1, TimeOf(nullptr));
    return true;
}

int64_t SwfMoviePlayer::TimeOf(const AVFrame* frame) const {
    if (mFormat == nullptr || mStream < 0) {
        return 0;
    }
    const AVRational base = mFormat->streams[mStream]->time_base;
    if (frame == nullptr) {
        return mAv->av_rescale_q(mFrameTicks, base, kUpdateTime);  // one frame's length
    }
    const int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        return mShownTime + mAv->av_rescale_q(mFrameTicks, base, kUpdateTime);
    }
    return mAv->av_rescale_q(pts - mFirstPts, base, kUpdateTime);
}

bool SwfMoviePlayer::DecodeFrame(AVFrame* frame) {
    if (mCodec == nullptr) {
        return false;
    }
    mAv->av_frame_unref(frame);
    for (;;) {
        int rc = mAv->avcodec_receive_frame(mCodec, frame);
        if (rc == 0) {
            ++mDecodedFrames;
            return true;
        }
        if (rc != AVERROR(EAGAIN) || mFlushed) {
            return false;  // the end, or a decoder that gave up
        }
        rc = mAv->av_read_frame(mFormat, mPacket);
        if (rc < 0) {
            // The file is over: let the decoder give up what it still holds.
            mFlushed = true;
            mAv->avcodec_send_packet(mCodec, nullptr);
            continue;
        }
        if (mPacket->stream_index == mStream) {
            // A damaged frame is skipped; the next key frame repairs the picture.
            mAv->avcodec_send_packet(mCodec, mPacket);
        }
        mAv->av_packet_unref(mPacket);
    }
}

void SwfMoviePlayer::Play() {
    if (mHasFrame) {
        mPlaying = true;
    }
}

void SwfMoviePlayer::Rewind() {
    if (!mHasFrame) {
        return;
    }
    std::string error;
    if (!OpenFromStart(&error)) {
        // It opened before, so only memory can fail here: stop on the frame shown.
        LogOnce(error);
        Close();
        mPlaying = false;
    }
}

bool SwfMoviePlayer::Advance() {
    if (mPlaying && mHasFrame) {
        ++mClock;
        for (int step = 0; step < kMaxFramesPerUpdate && mHasPending && mPendingTime <= mClock;
             ++step) {
            std::swap(mShown, mPending);
            mShownTime = mPendingTime;
            ++mShownSerial;
            mHasPending = DecodeFrame(mPending);
            if (mHasPending) {
                mPendingTime = std::max(mShownTime, TimeOf(mPending));
            } else {
                mEndTime = mShownTime + std::max<int64_t>(1, TimeOf(nullptr));
            }
        }
        if (!mHasPending && mClock >= mEndTime) {
            if (mLoop) {
                Rewind();
            } else {
                mPlaying = false;  // the last frame stays
            }
        }
    }
    const bool changed = mShownSerial != mReportedSerial;
    mReportedSerial = mShownSerial;
    return changed;
}

bool SwfMoviePlayer::PaintInto(ImageSurface* surface) {
    if (!mHasFrame || surface == nullptr || surface->GetWidth() <= 0 || surface->GetHeight() <= 0) {
        return false;
    }
    if (mPaintedSerial == mShownSerial && mPaintedSurface == surface) {
        return true;  // that frame is there already
    }
    const int width = surface->GetWidth();
    const int height = surface->GetHeight();
    std::vector<uint32_t>& pixels = surface->EditPixelData();
    if (pixels.size() != size_t(width) * size_t(height)) {
        return false;
    }
    // BGRA bytes are 0xAARRGGBB words on a little-endian machine, as the surface keeps them.
    mScaler = mAv->sws_getCachedContext(mScaler, mShown->width, mShown->height,
                                        AVPixelFormat(mShown->format), width, height,
                                        AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (mScaler == nullptr) {
        return false;
    }
    // The converter writes whole blocks of pixels, past the end of a row whose width is not a
    // multiple of its block (seen with 200-pixel rows): it fills a padded scratch picture, whose
    // rows are then copied.
    const int stride = FFALIGN(width * 4, 64);
    const size_t scratchSize = size_t(stride) * size_t(height) + 256;
    if (mScratchSize < scratchSize) {
        mAv->av_freep(&mScratch);
        mScratch = static_cast<uint8_t*>(mAv->av_malloc(scratchSize));
        mScratchSize = mScratch != nullptr ? scratchSize : 0;
        if (mScratch == nullptr) {
            return false;
        }
    }
    uint8_t* planes[4] = {mScratch, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    mAv->sws_scale(mScaler, mShown->data, mShown->linesize, 0, mShown->height, planes, strides);
    for (int y = 0; y < height; ++y) {
        std::memcpy(pixels.data() + size_t(y) * size_t(width),
                    mScratch + size_t(y) * size_t(stride), size_t(width) * 4);
    }
    surface->MarkPixelsChanged();
    mPaintedSerial = mShownSerial;
    mPaintedSurface = surface;
    return true;
}

void SwfMoviePlayer::SetCommandHandler(
    std::function<void(const std::string&, const std::string&)> handler) {
    // Only the video is played: no script of the movie runs, so no command comes.
    mCommandHandler = std::move(handler);
}

std::unique_ptr<MoviePlayer> CreateMoviePlayer() {
    return std::make_unique<SwfMoviePlayer>();
}
