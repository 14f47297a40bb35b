#pragma once
#include <string>

#include "core/base/result.h"

// The closed voice decoder, loaded at run time by its bare file name so the platform's search
// order applies (LD_LIBRARY_PATH first, then the program's own folder through its run path).
// Its two entries, as the library declares them:
//   int vInitDecoder(void);                                  reset, result ignored
//   int vDecode(short* pcm160, const unsigned char* frame);  one frame in, 320 bytes out
class DecoderLibrary {
public:
    using InitDecoderFn = int (*)();
    using DecodeFn = int (*)(short* pcm, const unsigned char* frame);

    enum class Status {
        NotLoaded,     // Load was never called, or Release was
        NotFound,      // the library could not be loaded
        MissingEntry,  // loaded, but an entry point is missing (the library is released again)
        Ready,         // both entries resolved
    };

    // "libvocodec.so" here, "vocodec.dll" on Windows.
    static const char* DefaultName();

    DecoderLibrary() = default;
    ~DecoderLibrary();
    DecoderLibrary(const DecoderLibrary&) = delete;
    DecoderLibrary& operator=(const DecoderLibrary&) = delete;

    // Releases any earlier load first, so loading again never leaks a handle.
    Status Load(const std::string& name = DefaultName());
    void Release();

    Status GetStatus() const { return m_status; }
    bool IsReady() const { return m_status == Status::Ready; }
    // The platform's own words for the last failure (dlerror text), empty when Ready.
    const std::string& Error() const { return m_error; }
    // Ok when Ready, else DecoderMissing with what is missing and the platform's words.
    Result Readiness() const;

    InitDecoderFn InitDecoder() const { return m_init; }  // null unless Ready
    DecodeFn Decode() const { return m_decode; }          // null unless Ready

private:
    // The platform's part of Load: the library loaded and both entries resolved into m_handle,
    // m_init and m_decode (Ready), or NotFound / MissingEntry with m_error set and nothing held.
    Status Bind(const std::string& name);
    static void Unload(void* handle);

    void* m_handle = nullptr;
    InitDecoderFn m_init = nullptr;
    DecodeFn m_decode = nullptr;
    Status m_status = Status::NotLoaded;
    std::string m_error;
};
