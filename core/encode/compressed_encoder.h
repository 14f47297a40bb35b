#pragma once
#include <functional>
#include <string>

#include "core/base/result.h"
#include "core/base/staged_output_file.h"
#include "core/convert/bin_input_file.h"
#include "core/encode/audio_encoder.h"

// The compressed formats, where this build has their encoders (libsndfile and libsoxr): the
// part of EncodeRecording for every format but WAV. input is open at its first byte.
Result EncodeCompressed(BinInputFile& input, const std::string& wavPath, AudioFormat format,
                        const AudioTags& tags, StagedOutputFile& out,
                        const std::function<bool()>& interrupted);
