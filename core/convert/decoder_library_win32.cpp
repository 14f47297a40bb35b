// The voice decoder on Windows: "vocodec.dll", found by the system's search order for a bare
// name, the program's own folder first.
#include <windows.h>

#include <string>

#include "core/base/win32_text.h"
#include "core/convert/decoder_library.h"

const char* DecoderLibrary::DefaultName() {
    return "vocodec.dll";
}

DecoderLibrary::Status DecoderLibrary::Bind(const std::string& name) {
    // No box of the system's about a library it cannot load: the caller tells the user.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryA(name.c_str());
    const DWORD loadError = module ? 0 : ::GetLastError();
    ::SetErrorMode(oldMode);
    if (!module) {
        m_error = name + ": " + WindowsErrorText(loadError);
        return Status::NotFound;
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
        return Status::MissingEntry;
    }
    m_handle = module;
    m_init = init;
    m_decode = decode;
    return Status::Ready;
}

void DecoderLibrary::Unload(void* handle) {
    ::FreeLibrary(static_cast<HMODULE>(handle));
}
