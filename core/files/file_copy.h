#pragma once
#include <string>

// Puts a copy of source at target, replacing a file there. The copy is made beside the target
// under a name of its own and then renamed into place, so the target is replaced whole or, on
// any failure, left as it was. Copying a file onto itself does nothing and succeeds.
bool ReplaceWithCopy(const std::string& source, const std::string& target);
