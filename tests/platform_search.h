// A directory search through the platform layer, as a list of names.
#ifndef QK_TESTS_PLATFORM_SEARCH_H_
#define QK_TESTS_PLATFORM_SEARCH_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace qktest {

// Returns the names a search for `pattern` delivers, in order, with "/"
// after directories; sets `*error`.
inline std::vector<std::string> searchNames(const std::string& pattern, PlatformError* error) {
  std::vector<std::string> names;
  PlatformFindData data;
  PlatformSearch* s = platformFindFirst(pattern.c_str(), &data, error);
  if (s == nullptr) return names;
  do {
    names.push_back(std::string(data.name) + ((data.attributes & PLATFORM_ATTRIBUTE_DIRECTORY) ? "/" : ""));
  } while (platformFindNext(s, &data));
  platformFindClose(s);
  return names;
}

}  // namespace qktest

#endif  // QK_TESTS_PLATFORM_SEARCH_H_
