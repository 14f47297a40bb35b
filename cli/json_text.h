#pragma once
// The command line's JSON output escapes its strings with the core's one escaper.
#include "core/base/json.h"
