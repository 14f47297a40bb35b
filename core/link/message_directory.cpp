#include "core/link/message_directory.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/base/system_error_text.h"

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Moves a file to a name that must be free: renumbering never overwrites another copy.
Result MoveToFreeName(const std::string& from, const std::string& to) {
    if (Exists(to)) {
        return {Result::Category::FileNotWritten,
                "cannot move " + from + " to " + to + ": something of that name is in the way"};
    }
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec)
        return {Result::Category::FileNotWritten,
                "cannot move " + from + ": " + SystemErrorText(ec)};
    return {};
}

}  // namespace

int MessageDirectory::Count(int folder) const {
    return folder >= 0 && folder < kFolderCount ? m_count[Index(folder)] : 0;
}

int MessageDirectory::Total() const {
    int total = 0;
    for (auto c : m_count) total += c;
    return total;
}

bool MessageDirectory::InRange(int folder, int message) {
    return folder >= 0 && folder < kFolderCount && message >= 1 && message <= kMaxMessages;
}

void MessageDirectory::Apply(const DirectoryBlock& block) {
    m_marker = block.marker;
    for (int f = 0; f < kFolderCount; ++f) SetCount(f, block.counts[Index(f)]);
}

void MessageDirectory::SetCount(int folder, int count) {
    if (folder < 0 || folder >= kFolderCount) return;
    m_count[Index(folder)] = static_cast<std::uint8_t>(count < 0              ? 0
                                                       : count > kMaxMessages ? kMaxMessages
                                                                              : count);
}

void MessageDirectory::ClearFlags() {
    for (auto& folder : m_entry) {
        for (auto& e : folder) e.loaded = e.downloaded = e.converted = 0;
    }
}

Result MessageDirectory::RemoveEntry(int folder, int message, const std::string& workingFolder) {
    if (Result request = CheckMessageFiles(folder, message, workingFolder); !request) {
        return request;
    }
    const int count = Count(folder);
    if (message > count) return {Result::Category::BadRequest, "no such message"};
    auto path = [&](int m, const char* extension) {
        return MessageFilePath(workingFolder, folder, m, extension);
    };
    Result files;

    // The deleted message's copies go whether or not this connect fetched them: copies left
    // by an earlier connect would otherwise sit where the next message's copies move to.
    for (const char* extension : {".Bin", ".wav"}) {
        std::error_code ec;
        fs::remove(path(message, extension), ec);
        if (ec && files) {
            files = {Result::Category::FileNotWritten,
                     "cannot remove " + path(message, extension) + ": " + SystemErrorText(ec)};
        }
    }

    // Each later message moves down one number, and its copies with it (also copies from an
    // earlier connect that no flag tracks). After the first move that fails nothing else is
    // moved, and no entry claims a copy that is not under its own number.
    bool inStep = true;
    for (int k = message + 1; k <= count; ++k) {
        const MessageEntry from = Entry(folder, k);
        MessageEntry& to = Entry(folder, k - 1);
        to = from;
        bool moved[2] = {false, false};
        const char* extensions[2] = {".Bin", ".wav"};
        for (int i = 0; i < 2 && inStep; ++i) {
            const std::string source = path(k, extensions[i]);
            if (!Exists(source)) continue;
            Result move = MoveToFreeName(source, path(k - 1, extensions[i]));
            moved[i] = inStep = move.IsOk();
            if (!move && files) files = std::move(move);
        }
        to.downloaded = from.downloaded && moved[0] ? 1 : 0;
        to.converted = from.converted && moved[1] ? 1 : 0;
    }

    MessageEntry& vacant = Entry(folder, count);
    vacant.loaded = vacant.downloaded = vacant.converted = 0;
    m_count[Index(folder)] = static_cast<std::uint8_t>(count - 1);
    return files;
}

Result CheckMessageFiles(int folder, int message, const std::string& workingFolder) {
    if (!MessageDirectory::InRange(folder, message)) {
        return {Result::Category::BadRequest, "no such message"};
    }
    if (workingFolder.empty()) {
        return {Result::Category::BadRequest, "there is no working folder for the message files"};
    }
    return {};
}

std::string MessageFileName(int folder, int message, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "%d_%02d%s", folder, message, extension);
    return name;
}

bool IsMessageFileName(const std::string& name) {
    // <folder 0-4>_<two or three digits>.Bin|.wav, exactly as MessageFileName writes them.
    if (name.size() < 8 || name[0] < '0' || name[0] > '4' || name[1] != '_') return false;
    const auto dot = name.find('.', 2);
    if (dot == std::string::npos) return false;
    const std::string digits = name.substr(2, dot - 2);
    if (digits.size() < 2 || digits.size() > 3) return false;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    const int message = std::stoi(digits);
    if (message < 1 || message > kMaxMessages) return false;
    if (digits.size() == 3 && message < 100) return false;  // "%02d" never pads to three
    const std::string ext = name.substr(dot);
    return ext == ".Bin" || ext == ".wav";
}
