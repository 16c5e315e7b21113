#pragma once
// Readers and the writer of the sound-effect file formats: RIFF WAVE (PCM), Sun audio (".au",
// mu-law or 8-bit linear) and Ogg Vorbis through Tremor. All reads go through the process-wide
// PakInterfaceBase. Any thread; each call is independent.

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/PcmData.h"
#include "core/files/PakInterfaceBase.h"

// How a read went. kMissing means the file is not there (the next try follows quietly); kStale
// means a "dep " chunk names a source whose time changed; kBad means the file exists but is
// malformed or unsupported, and error names the file and the fault. kCutOff means the file ends
// before its sound does: out holds the part that is there, and error is left as it was.
enum class SoundReadResult { kOk, kMissing, kStale, kBad, kCutOff };

// Parses a RIFF WAVE image held in memory; fileName is only used in messages.
SoundReadResult ParseWaveData(const std::string& data, const std::string& fileName, PcmData* out,
                              std::string* error);

// Reads a RIFF WAVE file through the archive file layer. A file larger than maxBytes is refused
// before it is read, as if it were missing.
SoundReadResult ReadWaveFile(const std::string& path, PcmData* out, std::string* error,
                             long long maxBytes = PakInterfaceBase::kMaxFileBytes);

// Reads a Sun audio file; mu-law becomes 16-bit, 8-bit linear becomes unsigned 8-bit.
SoundReadResult ReadAuFile(const std::string& path, PcmData* out, std::string* error);

// Decodes an Ogg Vorbis file to 16-bit PCM with the stream's channels (one or two) and rate.
SoundReadResult ReadOggFile(const std::string& path, PcmData* out, std::string* error);

// Whether an Ogg file ends as a whole stream does: its last page is complete and marks the end
// of the stream. A cut-off file still decodes, only shorter, so this is how it is told apart.
bool IsOggStreamComplete(std::string_view bytes);

// Logs that the file is cut off and plays only up to where it ends, once per file name for the
// whole run (a track is opened again each time it starts). kind begins the line: "Music file",
// "Sound file". Any thread.
void LogCutOffFile(const char* kind, const std::string& name);

// The standard G.711 mu-law expansion of one byte to a 16-bit sample.
int16_t MuLawToLinear(uint8_t code);

// A plain WAVE image: "fmt ", then a "dep " chunk naming the source file and its time (seconds
// since the epoch, as PakInterfaceBase::GetFileTime gives) when depName is not empty, then "data".
std::string BuildWaveData(const PcmData& pcm, const std::string& depName, int64_t depTime);
