#include "gui/app/trace_variable.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdio>
#include <string>

#include "core/link/serial_channel.h"
#include "core/link/wire_trace.h"

void TraceLineAsAsked(SerialChannel& channel) {
    const QByteArray value = qgetenv("SONORET_TRACE");
    std::string problem;
    WireTrace trace = TraceFromVariable(value.isNull() ? nullptr : value.constData(), &problem);
    if (!problem.empty()) std::fprintf(stderr, "sonoret-manager: %s\n", problem.c_str());
    if (trace) channel.SetWireTrace(std::move(trace));
}
