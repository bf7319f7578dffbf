// Runs a program as a child process and measures it: wall time and the
// child's peak resident memory.
#ifndef QK_BENCH_PROCESS_RUN_H_
#define QK_BENCH_PROCESS_RUN_H_

#include <string>
#include <vector>

namespace qkbench {

struct ProcessRun {
  double seconds = 0;      // from fork to exit
  double peakRssMiB = 0;   // the child's peak resident set
  int status = -1;         // exit status; -1 when it did not exit normally
};

// Runs `argv` (searched in PATH) with standard output and error sent to
// /dev/null and waits for it.
ProcessRun runProcess(const std::vector<std::string>& argv);

}  // namespace qkbench

#endif  // QK_BENCH_PROCESS_RUN_H_
