// RecorderLink::ConvertToWav: the downloaded ".Bin" of a message into its ".wav" beside it.
#include "core/convert/wav_converter.h"
#include "core/link/recorder_link.h"
#include "core/res/strings.h"

int RecorderLink::ConvertToWav(int folder, int message) {
    if (folder < 0 || folder >= kFolderCount || message < 1 || message > kMaxMessages) return 0;
    // Without an owner there is no working folder to convert in.
    if (!m_pOwner) return 0;

    LinkOwner* owner = m_pOwner;
    const ConvertResult result = ConvertBinToWav(
        MessagePath(folder, message, ".Bin"), MessagePath(folder, message, ".wav"), m_nMode,
        m_decoder, [owner] { return owner->CreateProgress(text::kConvertCaption); });
    if (!result.ok()) return 0;
    m_directory.Entry(folder, message).converted = 1;
    return 1;
}
