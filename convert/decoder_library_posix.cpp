#include <dlfcn.h>

#include "convert/decoder_library.h"

const char* DecoderLibrary::DefaultName() {
    return "libvocodec.so";
}

DecoderLibrary::~DecoderLibrary() {
    Release();
}

DecoderLibrary::Status DecoderLibrary::Load(const std::string& name) {
    Release();
    // A bare name: the loader searches LD_LIBRARY_PATH, then the program's run path ($ORIGIN).
    m_handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = dlerror();
        m_error = why ? why : "cannot load " + name;
        m_status = Status::NotFound;
        return m_status;
    }
    dlerror();
    auto init = reinterpret_cast<InitDecoderFn>(dlsym(m_handle, "vInitDecoder"));
    auto decode = reinterpret_cast<DecodeFn>(dlsym(m_handle, "vDecode"));
    if (!init || !decode) {
        const char* why = dlerror();
        m_error = why ? why : name + ": entry point missing";
        dlclose(m_handle);
        m_handle = nullptr;
        m_status = Status::MissingEntry;
        return m_status;
    }
    m_init = init;
    m_decode = decode;
    m_error.clear();
    m_status = Status::Ready;
    return m_status;
}

void DecoderLibrary::Release() {
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
    m_init = nullptr;
    m_decode = nullptr;
    m_status = Status::NotLoaded;
}
