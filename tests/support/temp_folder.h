#pragma once
#include <string>
#include <vector>

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> NamesIn(const std::string& folder);

// A fresh folder, removed with everything in it (links as links, read-only folders too) when
// the test is done with it. Made below `under`, else below TMPDIR or /tmp; a folder that
// cannot be made throws, so that no test writes beside it instead.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "sonoret-test", const std::string& under = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends with the separator.
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }
    std::string operator/(const std::string& name) const { return m_path + name; }
    // The names in it, sorted, without "." and "..".
    std::vector<std::string> Names() const;

private:
    std::string m_path;
};
