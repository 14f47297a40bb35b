// The main of every window test program. One process per test case under CTest: each gets a
// settings, cache and runtime location of its own (below the XDG_CONFIG_HOME the test's
// environment names, else the temporary folder) and a program folder of its own for the
// working folder, so tests never touch the user's settings or each other's files. Dates show
// in UTC, the same on every machine.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QByteArray>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "gui/app/manager_app.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/temp_folder.h"

namespace {
std::string g_scratch;
}

const std::string& testsupport::ScratchFolder() {
    return g_scratch;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does so while building) needs no window system.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const char* base = std::getenv("XDG_CONFIG_HOME");
    std::unique_ptr<TempFolder> scratch;
    try {
        if (base && *base) std::filesystem::create_directories(base);
        scratch = std::make_unique<TempFolder>("gui-test", base && *base ? base : "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    g_scratch = scratch->Path().substr(0, scratch->Path().size() - 1);
    ::setenv("XDG_CONFIG_HOME", (g_scratch + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_scratch + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", g_scratch.c_str(), 1);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    std::filesystem::create_directories(g_scratch + "/program");

    int result = 0;
    {
        CManagerApp app(argc, argv);
        app.m_strProgramFolder = g_scratch + "/program";
        result = RUN_ALL_TESTS();
    }
    return result;
}
