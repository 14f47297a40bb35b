// sonoret-manager: the window program.
#include <QtGlobal>
#include <cstdio>

#include "gui/app/command_line.h"
#include "gui/app/manager_app.h"

namespace {

// Whether a window can be shown at all; without this check the toolkit aborts with a message
// about its plugins that tells the user little.
bool DisplayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Before any window: --help must work where there is no display.
    StartOptions options;
    int exitCode = 0;
    if (!ParseCommandLine(argc, argv, options, &exitCode)) return exitCode;
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "sonoret-manager: there is no display to open the window on (DISPLAY is "
                     "not set).\nThe command line works without one: sonoret --help\n");
        return 1;
    }

    CManagerApp app(argc, argv, options);
    if (!app.InitInstance()) return 1;
    return app.ExitInstance(app.exec());
}
