#pragma once
// The movie backend of this platform: plays the video stream of an SWF movie (the kind FFmpeg
// writes, plain or zlib-compressed) with libavformat and libavcodec, and paints the frame due
// with libswscale at the widget's size. The libraries are opened when the first player is made
// (MovieLibraries); where they are missing no movie plays, and a load logs why. The movie keeps its
// own frame rate on the clock of fixed updates, so a widget that is not updated (a suspended menu)
// holds its frame. Frames are decoded one at a time, when the one before is shown, and converted
// only when drawn. Vector drawings, sounds and the movie's scripts are not played: a movie without
// a video stream logs once, naming the file, and counts as ended. Main thread only.

#include <cstdint>
#include <string>

#include "widgets/controls/MoviePlayer.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct MovieLibraries;
struct SwsContext;

class SwfMoviePlayer : public MoviePlayer {
public:
    SwfMoviePlayer();
    ~SwfMoviePlayer() override;
    SwfMoviePlayer(const SwfMoviePlayer&) = delete;
    SwfMoviePlayer& operator=(const SwfMoviePlayer&) = delete;

    bool IsAvailable() const override { return mAv != nullptr; }
    // Reads the file, opens its video stream and decodes the first frame; the movie then plays.
    // False, with one log line per file, when it cannot be read, has no video stream or no frame.
    bool Load(const std::string& path, int width, int height) override;
    void SetLoop(bool loop) override { mLoop = loop; }
    bool IsPlaying() const override { return mPlaying; }
    void Play() override;
    void Stop() override { mPlaying = false; }
    void Rewind() override;
    bool Advance() override;
    // Converts the frame due into the surface when it has not been painted there yet.
    bool PaintInto(ImageSurface* surface) override;
    void SetCommandHandler(
        std::function<void(const std::string&, const std::string&)> handler) override;

    // The movie's clock in updates since its first frame, and how many frames were decoded since
    // it was loaded (tests).
    int64_t GetClock() const { return mClock; }
    int GetDecodedFrames() const { return mDecodedFrames; }

private:
    // Opens the file's bytes from the start and decodes the first two frames; false (with *error)
    // when that fails.
    bool OpenFromStart(std::string* error);
    void Close();
    // Decodes the next video frame into frame; false at the end or on a broken stream.
    bool DecodeFrame(AVFrame* frame);
    // A frame's time in updates from the first frame.
    int64_t TimeOf(const AVFrame* frame) const;
    void LogOnce(const std::string& message);

    const MovieLibraries* mAv;  // null when the libraries are missing
    std::string mLibraryError;
    std::string mPath;
    // The whole file, and where the demuxer reads it through mIo.
    struct MemoryFile {
        const std::string* mData = nullptr;
        size_t mPos = 0;
    };
    std::string mData;
    MemoryFile mIoState;
    // The demuxer's read and seek callbacks over a MemoryFile.
    static int ReadFromMemory(void* file, uint8_t* buffer, int size);
    static int64_t SeekInMemory(void* file, int64_t offset, int whence);
    AVFormatContext* mFormat = nullptr;
    AVIOContext* mIo = nullptr;
    AVCodecContext* mCodec = nullptr;
    AVPacket* mPacket = nullptr;
    SwsContext* mScaler = nullptr;
    uint8_t* mScratch = nullptr;  // the converter's padded picture
    size_t mScratchSize = 0;
    int mStream = -1;
    int64_t mFirstPts = 0;
    int64_t mFrameTicks = 1;  // one frame in the stream's time base
    bool mFlushed = false;    // the decoder has been told the stream ended

    AVFrame* mShown = nullptr;    // the frame due now
    AVFrame* mPending = nullptr;  // the next one, decoded when the shown one came due
    bool mHasFrame = false;
    bool mHasPending = false;
    int64_t mShownTime = 0;
    int64_t mPendingTime = 0;
    int64_t mEndTime = 0;  // when the last frame's time is over (known once the end is reached)
    int64_t mClock = 0;
    int mDecodedFrames = 0;

    // The shown frame's number, what the last Advance reported and what was last painted.
    uint64_t mShownSerial = 0;
    uint64_t mReportedSerial = 0;
    uint64_t mPaintedSerial = 0;
    const ImageSurface* mPaintedSurface = nullptr;

    bool mLoop = false;
    bool mPlaying = false;
    std::function<void(const std::string&, const std::string&)> mCommandHandler;
};
