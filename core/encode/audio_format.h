#pragma once
#include <optional>
#include <string>
#include <string_view>

// The formats a recording can be saved in. WAV is the conversion's own file, byte for byte;
// the others are compressed from it.
enum class AudioFormat { Wav, Flac, Vorbis, Opus, Mp3 };

// "wav", "flac", "ogg", "opus", "mp3": the word --format takes.
const char* AudioFormatName(AudioFormat format);
// ".wav", ".flac", ".ogg", ".opus", ".mp3"
const char* AudioFormatExtension(AudioFormat format);
// The format of a --format word, in any case; nothing for an unknown one.
std::optional<AudioFormat> AudioFormatFromName(std::string_view name);
// The format a file name's extension names, in any case; nothing when it names none.
std::optional<AudioFormat> AudioFormatFromPath(const std::string& path);
// "wav|flac|ogg|opus|mp3"
std::string AudioFormatNames();

// The rate a recording at sourceRate is stored at in format: its own where the format holds
// it, else the nearest rate above it that the format holds (Opus and MP3 have no 7200).
int EncodedSampleRate(AudioFormat format, int sourceRate);
