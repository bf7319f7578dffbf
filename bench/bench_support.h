// Small helpers the benchmarks share: medians and a work folder.
#ifndef QK_BENCH_BENCH_SUPPORT_H_
#define QK_BENCH_BENCH_SUPPORT_H_

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace qkbench {

// The median of `values`, which must not be empty.
inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Returns a new empty folder in /tmp named after `prefix`, or "" when it
// cannot be made.
inline std::string makeWorkFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

}  // namespace qkbench

#endif  // QK_BENCH_BENCH_SUPPORT_H_
