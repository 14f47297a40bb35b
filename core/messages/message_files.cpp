#include "core/messages/message_files.h"

#include <filesystem>
#include <system_error>

#include "core/convert/wav_converter.h"

namespace {

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

bool MessageFiles::HasBin(int folder, int message, const std::string& workingFolder) const {
    return MessageDirectory::InRange(folder, message) && !workingFolder.empty() &&
           m_link.Directory().Entry(folder, message).downloaded &&
           FileExists(MessageFilePath(workingFolder, folder, message, ".Bin"));
}

bool MessageFiles::HasWav(int folder, int message, const std::string& workingFolder) const {
    return MessageDirectory::InRange(folder, message) && !workingFolder.empty() &&
           m_link.Directory().Entry(folder, message).converted &&
           FileExists(MessageFilePath(workingFolder, folder, message, ".wav"));
}

Result MessageFiles::EnsureBin(int folder, int message, const std::string& workingFolder,
                               const ProgressFactory& progress) {
    if (Result refused = CheckMessageFiles(folder, message, workingFolder); !refused)
        return refused;
    if (HasBin(folder, message, workingFolder)) return {};
    return m_link.Download(folder, message, workingFolder, progress);
}

ConvertResult MessageFiles::EnsureWav(int folder, int message, const std::string& workingFolder,
                                      const ProgressFactory& progress) {
    if (Result refused = CheckMessageFiles(folder, message, workingFolder); !refused)
        return refused;
    if (HasWav(folder, message, workingFolder)) return {};
    // Nothing is asked of the recorder for a message that could not be converted anyway.
    if (Result ready = m_decoder.Readiness(); !ready) return ready;
    if (Result bin = EnsureBin(folder, message, workingFolder, progress); !bin) return bin;
    return ConvertToWav(folder, message, workingFolder, progress);
}

ConvertResult MessageFiles::ConvertToWav(int folder, int message, const std::string& workingFolder,
                                         const ProgressFactory& progress,
                                         const std::string& wavPath) {
    if (Result refused = CheckMessageFiles(folder, message, workingFolder); !refused)
        return refused;
    if (Result ready = m_decoder.Readiness(); !ready) return ready;
    ConvertOptions options;
    options.interrupted = m_interrupted;
    const bool inWorkingFolder = wavPath.empty();
    ConvertResult result = ConvertBinToWav(
        MessageFilePath(workingFolder, folder, message, ".Bin"),
        inWorkingFolder ? MessageFilePath(workingFolder, folder, message, ".wav") : wavPath,
        m_link.Mode(), DecoderEntries::From(m_decoder), progress, options);
    if (result && inWorkingFolder) m_link.Directory().Entry(folder, message).converted = 1;
    return result;
}

std::function<ConvertResult()> MessageFiles::ConversionTask(
    int folder, int message, const std::string& workingFolder) const {
    Result refused = CheckMessageFiles(folder, message, workingFolder);
    if (refused) refused = m_decoder.Readiness();
    if (!refused) return [refused] { return ConvertResult(refused); };
    return [bin = MessageFilePath(workingFolder, folder, message, ".Bin"),
            wav = MessageFilePath(workingFolder, folder, message, ".wav"), mode = m_link.Mode(),
            decoder = DecoderEntries::From(m_decoder)] {
        return ConvertBinToWav(bin, wav, mode, decoder, {});
    };
}

void MessageFiles::MarkConverted(int folder, int message) {
    if (MessageDirectory::InRange(folder, message)) {
        m_link.Directory().Entry(folder, message).converted = 1;
    }
}
