#pragma once
#include "core/base/result.h"

// Why a recording was not saved, in a few words by the kind of fault ("cannot write"): what the
// command line prints and the window lists for each message a sync could not get.
const char* SyncFaultWords(const Result& result);
