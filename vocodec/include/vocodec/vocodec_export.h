#pragma once

// The one macro that makes a symbol visible outside libvocodec.so; everything else in the
// library is built hidden.
#if defined(_WIN32)
#define VOCODEC_EXPORT __declspec(dllexport)
#else
#define VOCODEC_EXPORT __attribute__((visibility("default")))
#endif
