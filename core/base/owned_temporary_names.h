#pragma once
#include <cstddef>
#include <string_view>

// How our temporaries' names tell their kind and their owner's process id: shared by the
// platforms' sweeps of abandoned temporaries.
namespace owned_temporary {

inline constexpr std::string_view kPartSuffix = ".part";
inline constexpr std::string_view kStagingPrefix = ".sonoret-";
inline constexpr std::size_t kStagingRandomChars = 6;  // mkdtemp's XXXXXX

enum class Kind { None, PartFile, StagingFolder };

struct Owner {
    Kind kind = Kind::None;
    long pid = 0;
};

// The kind and owner a name in a folder tells; Kind::None for a name that is none of ours.
Owner OwnerOf(std::string_view name);

}  // namespace owned_temporary
