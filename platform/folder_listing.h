// The platform's half of the directory search: reading the entries of one
// folder that match a pattern. file_search.cc orders them and delivers
// them one at a time, the same way on every platform.
#ifndef QK_PLATFORM_FOLDER_LISTING_H_
#define QK_PLATFORM_FOLDER_LISTING_H_

#include <vector>

#include "platform/platform.h"

// Appends to `entries` every entry of the pattern's folder (everything
// before its last '/' or '\\') whose name matches the pattern's name part,
// in any order, leaving out "." and "..". Returns kPlatformOk, also when
// nothing matches, or the error that kept the folder from being read in
// full (the entries read before it stay in `entries`). Each start of the
// listing is a call of kPlatformOpFindFirst for the fault seam.
PlatformError platformListMatches(const char* pattern, std::vector<PlatformFindData>* entries);

#endif  // QK_PLATFORM_FOLDER_LISTING_H_
