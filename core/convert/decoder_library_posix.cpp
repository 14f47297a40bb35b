#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/convert/decoder_library.h"

namespace {

// The folders the loader searches for the program's own libraries, in its order:
// LD_LIBRARY_PATH, the program's run path with $ORIGIN resolved (beside the program in the
// build, ../lib/sonoret installed), the system's folders.
std::vector<std::string> ProgramSearchPath() {
    std::vector<std::string> folders;
    void* program = dlopen(nullptr, RTLD_LAZY);
    if (!program) return folders;
    Dl_serinfo size;
    if (dlinfo(program, RTLD_DI_SERINFOSIZE, &size) == 0) {
        const std::unique_ptr<Dl_serinfo, decltype(&std::free)> info(
            static_cast<Dl_serinfo*>(std::malloc(size.dls_size)), &std::free);
        if (info && dlinfo(program, RTLD_DI_SERINFOSIZE, info.get()) == 0 &&
            dlinfo(program, RTLD_DI_SERINFO, info.get()) == 0) {
            for (unsigned i = 0; i < info->dls_cnt; ++i) {
                folders.emplace_back(info->dls_serpath[i].dls_name);
            }
        }
    }
    dlclose(program);
    return folders;
}

}  // namespace

const char* DecoderLibrary::DefaultName() {
    return "libvocodec.so";
}

DecoderLibrary::Status DecoderLibrary::Bind(const std::string& name) {
    // A bare name: the loader searches LD_LIBRARY_PATH, then the program's run path ($ORIGIN).
    m_handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = dlerror();
        m_error = why ? why : "cannot load " + name;
        // The run path is the caller's: when dlopen is reached through an interposer (the
        // sanitizers wrap it) the program's own run path is not consulted. Walk the program's
        // search path explicitly, as the loader would have.
        if (name.find('/') == std::string::npos) {
            for (const std::string& folder : ProgramSearchPath()) {
                std::string path = folder;
                path.append("/").append(name);
                m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
                if (m_handle) break;
            }
        }
        if (!m_handle) return Status::NotFound;
    }
    dlerror();
    auto init = reinterpret_cast<InitDecoderFn>(dlsym(m_handle, "vInitDecoder"));
    auto decode = reinterpret_cast<DecodeFn>(dlsym(m_handle, "vDecode"));
    if (!init || !decode) {
        const char* why = dlerror();
        m_error = why ? why : name + ": entry point missing";
        dlclose(m_handle);
        m_handle = nullptr;
        return Status::MissingEntry;
    }
    m_init = init;
    m_decode = decode;
    return Status::Ready;
}

void DecoderLibrary::Unload(void* handle) {
    dlclose(handle);
}
