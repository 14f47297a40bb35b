#include "core/base/result.h"

#include <ostream>

const char* CategoryName(Result::Category category) {
    using C = Result::Category;
    switch (category) {
        case C::Ok:
            return "Ok";
        case C::LineSilent:
            return "LineSilent";
        case C::ReplyWrong:
            return "ReplyWrong";
        case C::Cancelled:
            return "Cancelled";
        case C::PortNotOpened:
            return "PortNotOpened";
        case C::NotConnected:
            return "NotConnected";
        case C::Busy:
            return "Busy";
        case C::FileNotWritten:
            return "FileNotWritten";
        case C::FileNotRead:
            return "FileNotRead";
        case C::DecoderMissing:
            return "DecoderMissing";
        case C::ConversionFailed:
            return "ConversionFailed";
        case C::BadRequest:
            return "BadRequest";
    }
    return "Unknown";
}

std::ostream& operator<<(std::ostream& out, Result::Category category) {
    return out << CategoryName(category);
}

std::ostream& operator<<(std::ostream& out, const Result& result) {
    out << CategoryName(result.GetCategory());
    if (!result.Detail().empty()) out << " (" << result.Detail() << ")";
    return out;
}
