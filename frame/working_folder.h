#pragma once
#include <string>

// The folder in which downloaded and converted messages live while the program runs.

// Makes the "Source" folder beside the program file when that place can be written, else in
// the user's cache folder, and returns it with a final separator; empty when neither works.
std::string PrepareWorkingFolder(const std::string& programFolder, const std::string& cacheFolder);

// Deletes the program's own message files ("%d_%02d.Bin" and ".wav") in folder, then the
// folder itself when nothing else is left in it. A user's files that happen to be there stay.
void RemoveWorkingFolder(const std::string& folder);
