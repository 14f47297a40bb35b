#pragma once
#include "core/base/result.h"

// The exit status of sonoret for how an operation ended, from its category alone: 0 done,
// 2 a request for something that is not there, 3 the recorder did not answer as it should,
// 4 a conversion failed, 5 the port could not be opened, 6 an output file could not be
// written, 130 (128 + the signal, as RunSonoret reports it) when a signal stopped it. A
// failure while a signal is being handled is the signal's.
int ExitStatusFor(const Result& result);
