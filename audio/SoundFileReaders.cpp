#include "audio/SoundFileReaders.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

// Limits that keep a corrupt header from asking for absurd memory or a rate the mixer can't step.
constexpr int kMinRate = 100;
constexpr int kMaxRate = 384000;
constexpr size_t kMaxPcmBytes = size_t{512} << 20;

uint32_t Le16(const std::string& d, size_t at) {
    return static_cast<uint8_t>(d[at]) | (static_cast<uint8_t>(d[at + 1]) << 8);
}
uint32_t Le32(const std::string& d, size_t at) {
    return Le16(d, at) | (Le16(d, at + 2) << 16);
}
uint32_t Be32(const std::string& d, size_t at) {
    return (uint32_t{static_cast<uint8_t>(d[at])} << 24) |
           (uint32_t{static_cast<uint8_t>(d[at + 1])} << 16) |
           (uint32_t{static_cast<uint8_t>(d[at + 2])} << 8) | static_cast<uint8_t>(d[at + 3]);
}

void PutLe16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutLe32(std::string* out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

SoundReadResult Bad(std::string* error, const std::string& file, const std::string& what) {
    if (error) {
        *error = StrFormat("Sound file '%s': %s", file.c_str(), what.c_str());
    }
    return SoundReadResult::kBad;
}

bool FormatSupported(const PcmData& pcm, std::string* why) {
    if (pcm.channels != 1 && pcm.channels != 2) {
        *why = StrFormat("%d channels (only 1 or 2 are played)", pcm.channels);
        return false;
    }
    if (pcm.bitsPerSample != 8 && pcm.bitsPerSample != 16) {
        *why = StrFormat("%d bits per sample (only 8 or 16 are played)", pcm.bitsPerSample);
        return false;
    }
    if (pcm.sampleRate < kMinRate || pcm.sampleRate > kMaxRate) {
        *why = StrFormat("sample rate %d Hz is out of range", pcm.sampleRate);
        return false;
    }
    return true;
}

}  // namespace

int16_t MuLawToLinear(uint8_t code) {
    // G.711: the code is stored inverted; 3 exponent bits select the segment, 4 mantissa bits the
    // step within it, and the bias of 132 is taken off again after the shift.
    const int u = ~code & 0xFF;
    const int exponent = (u >> 4) & 7;
    const int mantissa = u & 0x0F;
    const int magnitude = (((mantissa << 3) + 132) << exponent) - 132;
    return static_cast<int16_t>((u & 0x80) ? -magnitude : magnitude);
}

SoundReadResult ParseWaveData(const std::string& data, const std::string& fileName, PcmData* out,
                              std::string* error) {
    if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "WAVE") != 0) {
        return Bad(error, fileName, "not a RIFF WAVE file");
    }
    PcmData pcm;  // the defaults stand until a "fmt " chunk says otherwise
    uint8_t xorByte = 0;
    size_t pos = 12;
    while (true) {
        if (pos + 8 > data.size()) {
            return Bad(error, fileName, "the file ends before its \"data\" chunk");
        }
        const std::string id = data.substr(pos, 4);
        const size_t size = Le32(data, pos + 4);
        const size_t body = pos + 8;
        const bool fits = size <= data.size() - body;
        if (id == "fmt ") {
            if (size < 16 || !fits) {
                return Bad(error, fileName, "the \"fmt \" chunk is truncated");
            }
            const uint32_t tag = Le16(data, body);
            if (tag != 1) {
                return Bad(error, fileName, StrFormat("format tag %u is not PCM", tag));
            }
            pcm.channels = static_cast<int>(Le16(data, body + 2));
            pcm.sampleRate = static_cast<int>(Le32(data, body + 4) & 0x7FFFFFFF);
            pcm.bitsPerSample = static_cast<int>(Le16(data, body + 14));
        } else if (id == "dep ") {
            if (size < 10 || !fits) {
                return Bad(error, fileName, "the \"dep \" chunk is truncated");
            }
            const size_t nameLength = Le16(data, body);
            if (nameLength > 255 || 2 + nameLength + 8 > size) {
                return Bad(error, fileName, "the \"dep \" chunk's name does not fit");
            }
            const std::string source = data.substr(body + 2, nameLength);
            const size_t timeAt = body + 2 + nameLength;
            const int64_t stored = static_cast<int64_t>(uint64_t{Le32(data, timeAt)} |
                                                        (uint64_t{Le32(data, timeAt + 4)} << 32));
            int64_t current = 0;
            if (!PakInterfaceBase::Get()->GetFileTime(source.c_str(), &current)) {
                current = 0;
            }
            if (current != stored) {
                return SoundReadResult::kStale;
            }
        } else if (id == "xor ") {
            if (size < 1 || !fits) {
                return Bad(error, fileName, "the \"xor \" chunk is truncated");
            }
            xorByte = static_cast<uint8_t>(data[body]);
        } else if (id == "data") {
            std::string why;
            if (!FormatSupported(pcm, &why)) {
                return Bad(error, fileName, why);
            }
            // A file that ends inside its data plays what it has.
            const size_t there = fits ? size : data.size() - body;
            // A partial last frame can't be played; drop it rather than reject the file.
            const size_t usable = there - there % pcm.BlockAlign();
            pcm.bytes.assign(data.begin() + body, data.begin() + body + usable);
            if (xorByte != 0) {
                for (uint8_t& b : pcm.bytes) {
                    b ^= xorByte;
                }
            }
            *out = std::move(pcm);
            return fits ? SoundReadResult::kOk : SoundReadResult::kCutOff;
        }
        if (!fits) {
            return Bad(error, fileName, StrFormat("chunk \"%s\" runs past the end", id.c_str()));
        }
        size_t next = body + size;
        // Standard writers pad an odd chunk with one zero byte; others don't. A chunk id never
        // starts with a zero byte, so a zero there can only be the pad and both kinds load.
        if ((size & 1) != 0 && next < data.size() && data[next] == '\0') {
            ++next;
        }
        pos = next;
    }
}

SoundReadResult ReadWaveFile(const std::string& path, PcmData* out, std::string* error,
                             long long maxBytes) {
    std::string data;
    if (!PakInterfaceBase::Get()->ReadWholeFile(path, &data, maxBytes)) {
        return SoundReadResult::kMissing;
    }
    return ParseWaveData(data, path, out, error);
}

SoundReadResult ReadAuFile(const std::string& path, PcmData* out, std::string* error) {
    std::string data;
    if (!PakInterfaceBase::Get()->ReadWholeFile(path, &data)) {
        return SoundReadResult::kMissing;
    }
    if (data.size() < 24 || data.compare(0, 4, ".snd") != 0) {
        return Bad(error, path, "not a Sun audio file");
    }
    const size_t offset = Be32(data, 4);
    size_t size = Be32(data, 8);
    const uint32_t encoding = Be32(data, 12);
    PcmData pcm;
    pcm.sampleRate = static_cast<int>(Be32(data, 16) & 0x7FFFFFFF);
    pcm.channels = static_cast<int>(Be32(data, 20) & 0x7FFFFFFF);
    if (offset < 24 || offset > data.size()) {
        return Bad(error, path, "the data offset lies outside the file");
    }
    bool cutOff = false;
    if (size == 0xFFFFFFFFu) {
        size = data.size() - offset;  // the format's "size unknown": read to the end
    } else if (size > data.size() - offset) {
        size = data.size() - offset;  // the file ends inside its data: what is there plays
        cutOff = true;
    }
    if (encoding == 1) {
        pcm.bitsPerSample = 16;
    } else if (encoding == 2) {
        pcm.bitsPerSample = 8;
    } else {
        return Bad(error, path, StrFormat("encoding %u is not mu-law or 8-bit linear", encoding));
    }
    std::string why;
    if (!FormatSupported(pcm, &why)) {
        return Bad(error, path, why);
    }
    const size_t samples = size - size % pcm.channels;
    if (encoding == 1) {
        pcm.bytes.resize(samples * 2);
        for (size_t i = 0; i < samples; ++i) {
            const uint16_t s =
                static_cast<uint16_t>(MuLawToLinear(static_cast<uint8_t>(data[offset + i])));
            pcm.bytes[2 * i] = static_cast<uint8_t>(s & 0xFF);
            pcm.bytes[2 * i + 1] = static_cast<uint8_t>(s >> 8);
        }
    } else {
        // Sun's 8-bit linear samples are signed; 8-bit PCM as played here is unsigned.
        pcm.bytes.resize(samples);
        for (size_t i = 0; i < samples; ++i) {
            pcm.bytes[i] = static_cast<uint8_t>(data[offset + i]) ^ 0x80;
        }
    }
    *out = std::move(pcm);
    return cutOff ? SoundReadResult::kCutOff : SoundReadResult::kOk;
}

namespace {

size_t PakRead(void* ptr, size_t size, size_t count, void* source) {
    return PakInterfaceBase::Get()->FRead(ptr, size, count, static_cast<PFILE*>(source));
}
int PakSeek(void* source, ogg_int64_t offset, int whence) {
    return PakInterfaceBase::Get()->FSeek(static_cast<PFILE*>(source), static_cast<long>(offset),
                                          whence);
}
int PakNoClose(void*) {
    return 0;
}  // the reader closes the file itself, on every path
long PakTell(void* source) {
    return PakInterfaceBase::Get()->FTell(static_cast<PFILE*>(source));
}

}  // namespace

SoundReadResult ReadOggFile(const std::string& path, PcmData* out, std::string* error) {
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    PFILE* file = pak->FOpen(path.c_str(), "rb");
    if (!file) {
        return SoundReadResult::kMissing;
    }
    OggVorbis_File vf;
    std::memset(&vf, 0, sizeof(vf));
    const ov_callbacks callbacks = {PakRead, PakSeek, PakNoClose, PakTell};
    if (ov_open_callbacks(file, &vf, nullptr, 0, callbacks) != 0) {
        pak->FClose(file);
        return Bad(error, path, "not an Ogg Vorbis stream");
    }
    SoundReadResult result = SoundReadResult::kOk;
    const vorbis_info* info = ov_info(&vf, -1);
    const ogg_int64_t total = ov_pcm_total(&vf, -1);
    PcmData pcm;
    pcm.bitsPerSample = 16;
    pcm.channels = info ? info->channels : 0;
    pcm.sampleRate = info ? static_cast<int>(info->rate) : 0;
    std::string why;
    if (!FormatSupported(pcm, &why)) {
        result = Bad(error, path, why);
    } else if (total < 0 || static_cast<uint64_t>(total) * pcm.BlockAlign() > kMaxPcmBytes) {
        result = Bad(error, path, "the stream's length is unknown or too large");
    } else {
        pcm.bytes.resize(static_cast<size_t>(total) * pcm.BlockAlign());
        size_t filled = 0;
        int bitstream = 0;
        while (filled < pcm.bytes.size()) {
            const size_t want = std::min<size_t>(pcm.bytes.size() - filled, 65536);
            const long got = ov_read(&vf, reinterpret_cast<char*>(pcm.bytes.data() + filled),
                                     static_cast<int>(want), &bitstream);
            if (got < 1) {
                pcm.bytes.resize(filled - filled % static_cast<size_t>(pcm.BlockAlign()));
                result = SoundReadResult::kCutOff;
                break;
            }
            filled += static_cast<size_t>(got);
        }
    }
    ov_clear(&vf);
    pak->FClose(file);
    // A stream cut off after a whole page decodes to its end without a fault; only the missing
    // end-of-stream page tells.
    std::string bytes;
    if (result == SoundReadResult::kOk && pak->ReadWholeFile(path, &bytes) &&
        !IsOggStreamComplete(bytes)) {
        result = SoundReadResult::kCutOff;
    }
    if (result == SoundReadResult::kOk || result == SoundReadResult::kCutOff) {
        *out = std::move(pcm);
    }
    return result;
}

void LogCutOffFile(const char* kind, const std::string& name) {
    static std::mutex mutex;
    static std::set<std::string> named;
    std::lock_guard<std::mutex> lock(mutex);
    if (named.insert(name).second) {
        LogWarning("%s '%s' is cut off: it plays only up to where the file ends", kind,
                   name.c_str());
    }
}

std::string BuildWaveData(const PcmData& pcm, const std::string& depName, int64_t depTime) {
    assert(depName.size() <= 255 && "the \"dep \" chunk holds names of up to 255 bytes");
    std::string dep;
    if (!depName.empty()) {
        PutLe16(&dep, static_cast<uint32_t>(depName.size()));
        dep += depName;
        PutLe32(&dep, static_cast<uint32_t>(static_cast<uint64_t>(depTime) & 0xFFFFFFFF));
        PutLe32(&dep, static_cast<uint32_t>(static_cast<uint64_t>(depTime) >> 32));
        if (dep.size() & 1) {
            dep.push_back('\0');  // keep every chunk even so strict RIFF readers agree
        }
    }
    const size_t dataSize = pcm.bytes.size();
    const size_t pad = dataSize & 1;
    std::string out;
    out.reserve(44 + dep.size() + 8 + dataSize + pad);
    out += "RIFF";
    PutLe32(&out, static_cast<uint32_t>(4 + 24 + (dep.empty() ? 0 : 8 + dep.size()) + 8 + dataSize +
                                        pad));
    out += "WAVE";
    out += "fmt ";
    PutLe32(&out, 16);
    PutLe16(&out, 1);
    PutLe16(&out, static_cast<uint32_t>(pcm.channels));
    PutLe32(&out, static_cast<uint32_t>(pcm.sampleRate));
    PutLe32(&out, static_cast<uint32_t>(pcm.sampleRate * pcm.BlockAlign()));
    PutLe16(&out, static_cast<uint32_t>(pcm.BlockAlign()));
    PutLe16(&out, static_cast<uint32_t>(pcm.bitsPerSample));
    if (!dep.empty()) {
        out += "dep ";
        PutLe32(&out, static_cast<uint32_t>(dep.size()));
        out += dep;
    }
    out += "data";
    PutLe32(&out, static_cast<uint32_t>(dataSize));
    out.append(reinterpret_cast<const char*>(pcm.bytes.data()), dataSize);
    if (pad) {
        out.push_back('\0');
    }
    return out;
}

bool IsOggStreamComplete(std::string_view bytes) {
    // A page: "OggS", version, header type (4: end of stream), granule, serial, sequence,
    // checksum, then the count of segments and their lengths, then the segments.
    constexpr size_t kHeaderSize = 27;
    constexpr uint8_t kEndOfStream = 4;
    const size_t last = bytes.rfind("OggS");
    if (last == std::string_view::npos || bytes.size() - last < kHeaderSize) {
        return false;
    }
    const auto byteAt = [&](size_t at) { return static_cast<uint8_t>(bytes[at]); };
    const size_t segments = byteAt(last + 26);
    size_t length = kHeaderSize + segments;
    if (last + length > bytes.size()) {
        return false;
    }
    for (size_t i = 0; i < segments; ++i) {
        length += byteAt(last + kHeaderSize + i);
    }
    return (byteAt(last + 5) & kEndOfStream) != 0 && last + length == bytes.size();
}
