#include <dlfcn.h>
#include <unistd.h>

#include "core/convert/convert_result.h"
#include "core/convert/decoder_library.h"

namespace {

// The folder of the running program, with its separator; empty when it cannot be told.
std::string ProgramFolder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

}  // namespace

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
        // The run path is the caller's: when dlopen is reached through an interposer (the
        // sanitizers wrap it) the program's own run path is not consulted. Look in the
        // program's folder explicitly, which is what that run path says.
        const std::string folder = name.find('/') == std::string::npos ? ProgramFolder() : "";
        if (!folder.empty()) m_handle = dlopen((folder + name).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            m_status = Status::NotFound;
            return m_status;
        }
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

Result DecoderLibrary::Readiness() const {
    if (IsReady()) return {};
    std::string detail = kDecoderMissingDetail;
    if (!m_error.empty()) detail += ": " + m_error;
    return {Result::Category::DecoderMissing, detail};
}
