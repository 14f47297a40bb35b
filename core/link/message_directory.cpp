#include "core/link/message_directory.h"

#include <cstdio>

int MessageDirectory::Total() const {
    int total = 0;
    for (auto c : count) total += c;
    return total;
}

void MessageDirectory::ClearFlags() {
    for (auto& folder : entry) {
        for (auto& e : folder) e.loaded = e.downloaded = e.converted = 0;
    }
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
