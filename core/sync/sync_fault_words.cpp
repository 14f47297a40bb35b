#include "core/sync/sync_fault_words.h"

#include "core/res/strings.h"

const char* SyncFaultWords(const Result& result) {
    using C = Result::Category;
    switch (result.GetCategory()) {
        case C::FileNotWritten:
            return text::kFaultCannotWrite;
        case C::FileNotRead:
        case C::DecoderMissing:
        case C::ConversionFailed:
            return text::kFaultCannotConvert;
        case C::BadRequest:
            return text::kFaultNotOnRecorder;
        default:
            return text::kFaultLine;
    }
}
