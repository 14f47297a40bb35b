// sonoret-manager: the window program.
#include "app/command_line.h"
#include "app/manager_app.h"

int main(int argc, char** argv) {
    // Before any window: --help must work where there is no display.
    StartOptions options;
    int exitCode = 0;
    if (!ParseCommandLine(argc, argv, options, &exitCode)) return exitCode;

    CManagerApp app(argc, argv, options);
    if (!app.InitInstance()) return 1;
    return app.ExitInstance(app.exec());
}
