#include "core/messages/working_folder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/base/system_error_text.h"
#include "core/link/message_directory.h"
#include "core/res/strings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrivatePrefix = "sonoret-manager-";

// New files can be made in the folder: a file is made and removed again, which answers for
// every platform and every way of granting access.
bool Writable(const fs::path& folder, std::string* error) {
    const fs::path probe = folder / ".sonoret-probe";
    const bool writable = static_cast<bool>(std::ofstream(probe));
    std::error_code ignored;
    fs::remove(probe, ignored);
    if (!writable) *error = folder.string() + ": new files cannot be made there";
    return writable;
}

std::string WithSeparator(const fs::path& folder) {
    std::string path = folder.string();
    if (path.empty() || path.back() != fs::path::preferred_separator) {
        path += fs::path::preferred_separator;
    }
    return path;
}

}  // namespace

void WorkingFolder::Prepare(const Places& places) {
    if (!m_path.empty() && m_lock.StillNames(m_path)) return;
    // Gone meanwhile (or never made): start afresh.
    m_lock.Release();
    m_path.clear();
    m_bPrivate = false;
    m_problem.clear();

    bool taken = false;
    for (const std::string& base : {places.programFolder, places.cacheFolder}) {
        if (base.empty()) continue;
        if (TakeShared(base, &taken)) return;
        // Another running copy works in it: this run keeps to a folder of its own.
        if (taken) break;
    }
    MakePrivate(places.privateBases);
}

bool WorkingFolder::TakeShared(const std::string& base, bool* taken) {
    const fs::path folder = fs::path(base) / text::kWorkingFolderName;
    std::error_code error;
    if (!fs::is_directory(folder, error)) fs::create_directories(folder, error);
    if (!fs::is_directory(folder, error)) {
        m_problem = folder.string() + ": " + (error ? SystemErrorText(error) : "not a folder");
        return false;
    }
    switch (m_lock.Lock(folder.string(), &m_problem)) {
        case FolderLock::Result::Taken:
            *taken = true;
            return false;
        case FolderLock::Result::Failed:
            return false;
        case FolderLock::Result::Locked:
            break;
    }
    if (!Writable(folder, &m_problem)) {
        m_lock.Release();
        return false;
    }
    m_path = WithSeparator(folder);
    m_problem.clear();
    return true;
}

bool WorkingFolder::MakePrivate(const std::vector<std::string>& bases) {
    for (const std::string& base : bases) {
        const std::string folder = MakePrivateFolder(base, kPrivatePrefix, &m_problem);
        if (folder.empty()) continue;
        // Locked like a shared one, so Prepare can tell when it has gone.
        if (m_lock.Lock(folder, &m_problem) != FolderLock::Result::Locked) {
            std::error_code ignored;
            fs::remove(folder, ignored);
            continue;
        }
        m_path = WithSeparator(folder);
        m_bPrivate = true;
        m_problem.clear();
        return true;
    }
    if (m_problem.empty()) m_problem = "no place to make it was found";
    return false;
}

void WorkingFolder::Remove() {
    if (m_path.empty()) return;
    // Only the folder the lock is on: a folder that replaced it under the same name is not ours.
    if (m_lock.StillNames(m_path)) {
        if (m_bPrivate) {
            std::error_code ignored;
            fs::remove_all(m_path, ignored);
        } else {
            RemoveWorkingFolder(m_path);
        }
    }
    m_lock.Release();
    m_path.clear();
    m_bPrivate = false;
}

bool IsInstalledProgramFolder(const std::string& folder) {
    if (folder.empty()) return false;
    static const char* const kSystemFolders[] = {"/usr", "/bin", "/sbin", "/lib", "/opt"};
    // As given, and with its links followed (/bin may be a link to /usr/bin, and a folder of
    // links may lead into /usr).
    std::vector<fs::path> paths = {fs::path(folder).lexically_normal()};
    std::error_code error;
    const fs::path real = fs::weakly_canonical(folder, error);
    if (!error) paths.push_back(real);
    for (const fs::path& path : paths) {
        for (const char* system : kSystemFolders) {
            // By whole names: /usr2 is not below /usr.
            const fs::path relative = path.lexically_relative(system);
            if (!relative.empty() && *relative.begin() != "..") return true;
        }
        fs::path bin = path;
        if (!bin.has_filename()) bin = bin.parent_path();
        if (bin.filename() == "bin" &&
            fs::is_directory(bin.parent_path() / "lib" / "sonoret", error)) {
            return true;
        }
    }
    return false;
}

void RemoveWorkingFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (!IsMessageFileName(path.filename().string())) continue;
        // A folder that happens to bear such a name is not ours to remove.
        std::error_code kindError;
        if (it->is_directory(kindError) && !it->is_symlink(kindError)) continue;
        std::error_code removeError;
        fs::remove(path, removeError);
    }
    // Removing a folder fails, as it should, while anything else is left in it.
    fs::path dir(folder);
    if (!dir.has_filename()) dir = dir.parent_path();
    fs::remove(dir, error);
}
