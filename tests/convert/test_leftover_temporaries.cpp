// Temporaries that a killed run left beside an output go with the next run that writes there,
// and only those: never one whose owner still lives or that another process holds, never a
// name that merely looks like ours.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/base/staged_output_file.h"
#include "core/convert/wav_converter.h"
#include "tests/convert/convert_test_support.h"

using namespace convert_test;

namespace {

namespace fs = std::filesystem;

// A process of its own that stages `target` and then waits to be killed: the owner of a real
// part file under its real lock.
class StagingProcess {
public:
    explicit StagingProcess(const std::string& target) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            StagedOutputFile file;
            const char ok = file.Create(target) ? 1 : 0;
            [[maybe_unused]] const ssize_t n = ::write(ready[1], &ok, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        const bool started = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok;
        ::close(ready[0]);
        if (!started) Kill();
        m_started = started;
    }
    ~StagingProcess() { Kill(); }

    bool Started() const { return m_started; }
    std::string Pid() const { return std::to_string(m_pid); }
    // SIGKILL: the process cleans nothing up.
    void Kill() {
        if (m_pid <= 0 || m_reaped) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_reaped = true;
    }

private:
    pid_t m_pid = -1;
    bool m_started = false;
    bool m_reaped = false;
};

bool Present(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

TEST(LeftoverTemporaries, GoOnlyOnceTheirOwnerIsGone) {
    DecoderLibrary decoder;
    ASSERT_EQ(decoder.Load(kProbeLibrary), DecoderLibrary::Status::Ready) << decoder.Error();
    TempFolder folder;
    const std::string bin = folder.File("0_01.Bin");
    const std::string wav = folder.File("0_01.wav");
    WriteFile(bin, {0xC0, 1, 2, 3});

    StagingProcess owner(wav);
    ASSERT_TRUE(owner.Started());
    const std::string pid = owner.Pid();
    // The owner's part file, ".0_01.wav.PID-N.part".
    ASSERT_EQ(folder.Names().size(), 2u);
    const std::string part = folder.File(folder.Names().front());
    ASSERT_TRUE(part.ends_with(".part")) << part;

    // A staging folder of the same owner, with a message in it.
    const std::string staging = folder.File(".sonoret-" + pid + "-aB3dE9");
    ASSERT_EQ(::mkdir(staging.c_str(), 0700), 0);
    WriteFile(staging + "/0_01.Bin", {1, 2});
    // Names that only look like ours, and a link with our name.
    const std::vector<std::string> decoys = {".notes.part", "0_01.wav." + pid + "-0.part",
                                             ".0_01.wav." + pid + "-x.part",
                                             ".." + pid + "-0.part"};
    for (const auto& name : decoys) WriteFile(folder.File(name), {7});
    const std::string decoyFolder = folder.File(".sonoret-" + pid + "-abc");
    ASSERT_EQ(::mkdir(decoyFolder.c_str(), 0700), 0);
    const std::string link = folder.File(".link.wav." + pid + "-0.part");
    ASSERT_EQ(::symlink(bin.c_str(), link.c_str()), 0);
    // Ours by name, its owner gone, but held by a process that lives (this one).
    const std::string held = folder.File(".held.wav." + pid + "-9.part");
    WriteFile(held, {});
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    auto convert = [&] { return ConvertBinToWav(bin, wav, 2, decoder, nullptr).IsOk(); };
    ASSERT_TRUE(convert());
    EXPECT_TRUE(Present(part)) << "its owner is still at work";
    EXPECT_TRUE(Present(staging));

    owner.Kill();
    ASSERT_TRUE(convert());
    EXPECT_FALSE(Present(part));
    EXPECT_FALSE(Present(staging));
    EXPECT_TRUE(Present(held));
    for (const auto& name : decoys) EXPECT_TRUE(Present(folder.File(name))) << name;
    EXPECT_TRUE(Present(decoyFolder));
    EXPECT_TRUE(Present(link));
    EXPECT_EQ(ReadFile(bin), (Bytes{0xC0, 1, 2, 3}));

    ::close(holder);
    ASSERT_TRUE(convert());
    EXPECT_FALSE(Present(held));
}

}  // namespace
