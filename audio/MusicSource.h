#pragma once
// A decoder of one music track as the mixer pulls it. Created and destroyed on the main or a
// loader thread; while attached to the mixer only the mixer's thread calls Decode and Seek.

#include <cstdint>

class MusicSource {
public:
    virtual ~MusicSource() = default;

    // Frames per second of what Decode produces; fixed for the source's life.
    virtual int GetRate() const = 0;

    // Fills up to maxFrames interleaved stereo frames; returns the count, 0 at the end. A source
    // that loops by itself (a module asked to loop) never ends.
    virtual int Decode(int16_t* stereo, int maxFrames, bool loop) = 0;

    // Moves to a position in the source's own unit (frames for streams, the order for modules);
    // 0 is the start. False when the position can't be reached.
    virtual bool Seek(int64_t position) = 0;

    // Bytes per frame of the decoded PCM at its own channel count, for byte offsets of streams;
    // 0 for modules, whose positions are orders.
    virtual int BytesPerFrame() const = 0;

    // The source's length in frames, and the frame Decode hands out next; -1 where a source
    // can't tell (modules). A source that tells both can be passed over while it plays silent:
    // the mixer keeps its time and seeks to where it would be once it is heard again.
    virtual int64_t GetLength() const { return -1; }
    virtual int64_t Tell() const { return -1; }
};
