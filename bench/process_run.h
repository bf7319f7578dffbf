// Runs a program as a child process and measures it, through the small
// measure_child program: wall time and the program's peak resident memory.
#ifndef QK_BENCH_PROCESS_RUN_H_
#define QK_BENCH_PROCESS_RUN_H_

#include <string>
#include <vector>

namespace qkbench {

struct ProcessRun {
  double seconds = 0;     // from start to exit
  double peakRssMiB = 0;  // the program's peak resident set
  int status = -1;        // exit status; -1 when it did not exit normally or was not measured
};

// Runs `argv` (searched in PATH) under the measuring program `measurer`,
// with the program's output sent to /dev/null, and waits for it.
ProcessRun runProcess(const std::string& measurer, const std::vector<std::string>& argv);

}  // namespace qkbench

#endif  // QK_BENCH_PROCESS_RUN_H_
