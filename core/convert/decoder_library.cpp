// The decoder library's parts that every system shares; loading and unloading are the
// platform's.
#include "core/convert/decoder_library.h"

#include "core/convert/convert_result.h"

DecoderLibrary::~DecoderLibrary() {
    Release();
}

DecoderLibrary::Status DecoderLibrary::Load(const std::string& name) {
    Release();
    m_status = Bind(name);
    if (m_status == Status::Ready) m_error.clear();
    return m_status;
}

void DecoderLibrary::Release() {
    if (m_handle) Unload(m_handle);
    m_handle = nullptr;
    m_init = nullptr;
    m_decode = nullptr;
    m_status = Status::NotLoaded;
}

Result DecoderLibrary::Readiness() const {
    if (IsReady()) return {};
    std::string detail = kDecoderMissingDetail;
    if (!m_error.empty()) detail += ": " + m_error;
    return {Result::Category::DecoderMissing, detail};
}
