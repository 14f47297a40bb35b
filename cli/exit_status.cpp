#include "cli/exit_status.h"

#include "cli/command.h"
#include "cli/interruption.h"

int ExitStatusFor(const Result& result) {
    using C = Result::Category;
    if (result) return kExitOk;
    // The signal ended whatever was under way: that is what the status tells.
    if (interruption::Raised()) return kExitInterrupted;
    switch (result.GetCategory()) {
        case C::Ok:
            return kExitOk;
        case C::Cancelled:
            return kExitInterrupted;
        case C::LineSilent:
        case C::ReplyWrong:
        case C::NotConnected:
        case C::Busy:
            return kExitComm;
        case C::PortNotOpened:
            return kExitPort;
        case C::FileNotWritten:
            return kExitOutput;
        case C::FileNotRead:
        case C::DecoderMissing:
        case C::ConversionFailed:
            return kExitConversion;
        case C::BadRequest:
            return kExitUsage;
    }
    return kExitComm;
}
