// The voice decoder on Windows: "vocodec.dll", found by the system's search order for a bare
// name, the program's own folder first.
#include <windows.h>

#include <string>

#include "core/base/win32_text.h"
#include "core/convert/decoder_library.h"

const char* DecoderLibrary::DefaultName() {
    return "vocodec.dll";
}

DecoderLibrary::Status DecoderLibrary::Load(const std::string& name) {
    Release();
    // No box of the system's about a library it cannot load: the caller tells the user.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryA(name.c_str());
    const DWORD loadError = module ? 0 : ::GetLastError();
    ::SetErrorMode(oldMode);
    if (!module) {
        m_error = name + ": " + WindowsErrorText(loadError);
        m_status = Status::NotFound;
        return m_status;
    }
    auto init = reinterpret_cast<InitDecoderFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "vInitDecoder")));
    const DWORD initError = init ? 0 : ::GetLastError();
    auto decode =
        reinterpret_cast<DecodeFn>(reinterpret_cast<void*>(::GetProcAddress(module, "vDecode")));
    const DWORD decodeError = decode ? 0 : ::GetLastError();
    if (!init || !decode) {
        const char* missing = !init ? "vInitDecoder" : "vDecode";
        m_error = name + ": " + missing + ": " + WindowsErrorText(!init ? initError : decodeError);
        ::FreeLibrary(module);
        m_status = Status::MissingEntry;
        return m_status;
    }
    m_handle = module;
    m_init = init;
    m_decode = decode;
    m_error.clear();
    m_status = Status::Ready;
    return m_status;
}

void DecoderLibrary::Release() {
    if (m_handle) ::FreeLibrary(static_cast<HMODULE>(m_handle));
    m_handle = nullptr;
    m_init = nullptr;
    m_decode = nullptr;
    m_status = Status::NotLoaded;
}
