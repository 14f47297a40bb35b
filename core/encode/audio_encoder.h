#pragma once
#include <functional>
#include <string>

#include "core/base/result.h"
#include "core/base/staged_output_file.h"
#include "core/encode/audio_format.h"

// What a compressed recording says about itself, for players and music libraries.
struct AudioTags {
    std::string title;    // the message label
    std::string date;     // "2025-07-14T12:00:00", the recording's local time
    std::string comment;  // the folder and message it was on the recorder
};

// Writes the recording in wavPath, a WAV file as the conversion writes it (mono 16-bit PCM
// behind its 44-byte header), into out, a staged file just created, in format: WAV as it is,
// byte for byte; FLAC, Ogg Vorbis, Ogg Opus and MP3 encoded with their tags, resampled first
// where the format cannot hold the recording's rate. The caller commits out.
//
// Ok; FileNotRead when wavPath cannot be read or is no such WAV file; FileNotWritten when out
// cannot be written; ConversionFailed when the encoder refuses; Cancelled once interrupted
// (asked between blocks of audio) returns true.
Result EncodeRecording(const std::string& wavPath, AudioFormat format, const AudioTags& tags,
                       StagedOutputFile& out, const std::function<bool()>& interrupted = {});

// Whether this build writes format: one without the compressed formats' encoders (the Windows
// build) writes WAV alone.
bool AudioFormatAvailable(AudioFormat format);
// What a command says when asked for a format this build does not write.
std::string AudioFormatUnavailable(AudioFormat format);
