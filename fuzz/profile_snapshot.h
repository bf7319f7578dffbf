// A text picture of both process-wide save profiles, for fuzz targets that
// compare the profiles before and after a round trip.
#ifndef QK_FUZZ_PROFILE_SNAPSHOT_H_
#define QK_FUZZ_PROFILE_SNAPSHOT_H_

#include <string>

namespace qkfuzz {

// Returns every field of both profiles, one "name=value" a line; strings
// are quoted with their bytes escaped, a string holding none is "(none)".
std::string describeProfiles();

}  // namespace qkfuzz

#endif  // QK_FUZZ_PROFILE_SNAPSHOT_H_
