#pragma once

class SerialChannel;

// SONORET_TRACE=1 (or a file's path) in the environment: every frame the window program sends
// to the recorder and every reply, with its time, on standard error (or into that file). Read
// once at start-up; a file that cannot be written is named on standard error.
void TraceLineAsAsked(SerialChannel& channel);
