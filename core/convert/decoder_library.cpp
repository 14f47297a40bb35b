#include "core/convert/decoder_library.h"

#include "core/convert/convert_result.h"

DecoderLibrary::~DecoderLibrary() {
    Release();
}

Result DecoderLibrary::Readiness() const {
    if (IsReady()) return {};
    std::string detail = kDecoderMissingDetail;
    if (!m_error.empty()) detail += ": " + m_error;
    return {Result::Category::DecoderMissing, detail};
}
