#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace vocodec {

// The `vocodec` command line: encode a WAV into a ".Bin" frame stream, decode one back.
// args excludes the program name. Exit codes: 0 done, 1 failed (file or data), 2 usage.
// With showProgress (stderr is a terminal), long encodings report how far they have got on err.
int RunVocodecTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool showProgress = false);

}  // namespace vocodec
