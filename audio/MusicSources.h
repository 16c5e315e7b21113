#pragma once
// Factories of the music decoders, each reading a whole file held in memory (the source keeps
// the bytes). Null with *error set when the data can't be decoded. Any thread.

#include <memory>
#include <string>
#include <string_view>

#include "audio/MusicSource.h"

// A RIFF WAVE (PCM) file; positions are frames.
std::unique_ptr<MusicSource> CreateWaveMusicSource(std::string bytes, const std::string& name,
                                                   std::string* error);
// An Ogg Vorbis stream through Tremor; positions are frames.
std::unique_ptr<MusicSource> CreateOggMusicSource(std::string bytes, const std::string& name,
                                                  std::string* error);
// An MPEG audio stream through libmpg123; positions are frames.
std::unique_ptr<MusicSource> CreateMp3MusicSource(std::string bytes, const std::string& name,
                                                  std::string* error);
// Whether an MPEG audio file ends as a whole stream does: its last frame is complete (an ID3
// tag before the frames and one after them are allowed). A cut-off file still decodes, only
// shorter, so this is how it is told apart. A file whose frames can't be followed to its end
// counts as whole.
bool IsMp3StreamComplete(std::string_view bytes);
// A tracker module through libxmp, rendered at outputRate; positions are orders.
std::unique_ptr<MusicSource> CreateModuleMusicSource(const std::string& bytes,
                                                     const std::string& name, int outputRate,
                                                     std::string* error);
