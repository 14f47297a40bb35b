// One process per test case under CTest: each gets a settings and cache location of its own
// (below the XDG_CONFIG_HOME the test's environment names) and a program folder of its own
// for the working folder, so tests never touch the user's settings or each other's files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QByteArray>
#include <filesystem>
#include <string>

#include "gui/app/manager_app.h"
#include "tests/gui/gui_test_support.h"

namespace {

std::string MakeScratchFolder() {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    std::string root = base && *base ? base : std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(root);
    std::string pattern = root + "/gui-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no window system.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string scratch = MakeScratchFolder();
    if (scratch.empty()) return 1;
    ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (scratch + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
    std::filesystem::create_directories(scratch + "/program");
    guitest::SetScratchFolder(scratch);

    CManagerApp app(argc, argv);
    app.m_strProgramFolder = scratch + "/program";
    const int result = RUN_ALL_TESTS();

    std::error_code error;
    std::filesystem::remove_all(scratch, error);
    return result;
}
