#include "gui/frame/recorder_failure.h"

#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "gui/widgets/message_box.h"

std::string RecorderFailureText(RecorderCommand command, const Result& result) {
    if (result || result.Is(Result::Category::Cancelled)) return {};
    switch (command) {
        case RecorderCommand::OpenPort: {
            // The device and the system's reason (no such device, in use, permission denied)
            // tell the user which cable, adapter or setting to look at.
            std::string text = text::kSerialInitError;
            if (!result.Detail().empty()) {
                text += text::Format(text::kSerialInitReason, result.Detail());
            }
            return text;
        }
        case RecorderCommand::Download:
            // Not the cable: the ".Bin" file could not be written (disk full, no permission).
            if (result.Is(Result::Category::FileNotWritten)) {
                return text::Format(text::kMessageFileWriteFailed, result.Detail());
            }
            return text::kCommError;
        case RecorderCommand::Convert:
            return text::kConvertFailed;
        case RecorderCommand::Delete:
            return text::kDeleteFailed;
        case RecorderCommand::SetTime:
            return text::kCommErrorNoStop;
        case RecorderCommand::Sync:
            // The folder: its record is not ours, it cannot be written, or another sync into it
            // is under way.
            if (result.Is(Result::Category::FileNotWritten) || result.Is(Result::Category::Busy)) {
                return text::Format(text::kDownloadFolderFailed, result.Detail());
            }
            return text::kCommError;
        case RecorderCommand::Connect:
        case RecorderCommand::SetDate:
            return text::kCommError;
    }
    return text::kCommError;
}

bool ShowRecorderFailure(QWidget* parent, RecorderCommand command, const Result& result) {
    const std::string text = RecorderFailureText(command, result);
    if (text.empty()) return false;
    const bool fileFault =
        (command == RecorderCommand::Download && result.Is(Result::Category::FileNotWritten)) ||
        (command == RecorderCommand::Sync &&
         (result.Is(Result::Category::FileNotWritten) || result.Is(Result::Category::Busy)));
    MessageBox::Show(parent, text, {}, fileFault ? MessageBox::Stop : MessageBox::Plain);
    return true;
}
