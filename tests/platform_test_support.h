// Helpers of the platform layer's tests: a directory search as a list of
// names, and a copy between two files by path.
#ifndef QK_TESTS_PLATFORM_TEST_SUPPORT_H_
#define QK_TESTS_PLATFORM_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/output_file.h"

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

// Copies the file `source` into a new file `target`, through `tap` when
// given; returns the result.
inline int copyFile(const std::string& source, const std::string& target,
                    const PlatformReadTap* tap = nullptr) {
  PlatformFile* in = platformOpenRead(source.c_str());
  PlatformFile* out = createOutputFile(target);
  int copied = in != nullptr && out != nullptr && platformCopyInto(in, out, tap);
  platformClose(in);
  return finishOutputFile(out, target) && copied;
}

}  // namespace qktest

#endif  // QK_TESTS_PLATFORM_TEST_SUPPORT_H_
