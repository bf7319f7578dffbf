// Small helpers the benchmarks share: medians, options and a work folder.
#ifndef QK_BENCH_BENCH_SUPPORT_H_
#define QK_BENCH_BENCH_SUPPORT_H_

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

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

// The options of a hardening benchmark.
struct BenchOptions {
  double sizeMiB = 8;  // --size: the generated object's size, where one is taken
  int reps = 5;        // --reps: repetitions of every case, at least 3
  std::string work;    // --work: the work folder; empty for a temporary one
};

// Reads `--reps N`, `--work DIR` and, when `takesSize`, `--size MB` into
// `*options`. Returns false, after printing `usage`, on anything else or
// on values out of range.
inline bool parseBenchOptions(int argc, char** argv, bool takesSize, const char* usage,
                              BenchOptions* options) {
  bool ok = true;
  for (int i = 1; ok && i < argc; ++i) {
    bool hasValue = i + 1 < argc;
    if (takesSize && strcmp(argv[i], "--size") == 0 && hasValue) {
      options->sizeMiB = atof(argv[++i]);
    } else if (strcmp(argv[i], "--reps") == 0 && hasValue) {
      options->reps = atoi(argv[++i]);
    } else if (strcmp(argv[i], "--work") == 0 && hasValue) {
      options->work = argv[++i];
    } else {
      ok = false;
    }
  }
  ok = ok && options->reps >= 3 && options->sizeMiB > 0;
  if (!ok) fputs(usage, stderr);
  return ok;
}

}  // namespace qkbench

#endif  // QK_BENCH_BENCH_SUPPORT_H_
