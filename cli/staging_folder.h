#pragma once
#include <string>

#include "core/base/unique_fd.h"

// A private folder beside an output file: a message is received into it and moved to its
// final name only when it is whole, so a failed or interrupted command never leaves a partial
// file behind, nor spoils a file that was there before. It carries this process's id in its
// name and stays locked while the command runs, so that a later command can tell it from the
// litter of a run that was killed outright, which Create removes.
class StagingFolder {
public:
    StagingFolder() = default;
    ~StagingFolder();  // removes the folder and whatever is left in it
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    // Creates the folder in the folder of outputPath, after removing what killed runs left
    // there; false with Error() set when it cannot.
    bool Create(const std::string& outputPath);
    // The folder, ending with the path separator.
    const std::string& Path() const { return m_path; }
    // Moves a file of the folder (written whole already: the download stages its ".Bin") to
    // its final place, replacing what was there.
    bool Publish(const std::string& name, const std::string& target);
    const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
    UniqueFd m_lock;  // the folder, open and locked for the command's life
};

// Where `-o` puts a file: the given path, or defaultName inside it when it is a folder, or
// defaultName in the current folder when no path was given.
std::string OutputPath(const std::string& given, const std::string& defaultName);

// folder itself, or the nearest of its parents that exists: where a command that makes its
// output folder only once there is something to write receives its messages meanwhile.
std::string NearestExistingFolder(const std::string& folder);
