#include "core/files/local_file_system.h"

namespace local_path {

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
    return folder;
}

std::string WithoutSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == kSeparator) folder.pop_back();
    return folder;
}

std::string Extension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string KindOf(const std::string& name) {
    return Extension(name) + " File";
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find(kSeparator) == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace local_path
