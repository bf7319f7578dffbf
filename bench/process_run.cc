#include "bench/process_run.h"

#include <stdio.h>

namespace qkbench {

ProcessRun runProcess(const std::string& measurer, const std::vector<std::string>& argv) {
  std::string command = "'" + measurer + "'";
  for (const std::string& a : argv) {
    command += " '";
    for (char c : a) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += "'";
  }
  ProcessRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
  if (fscanf(pipe, "%lf %ld %d", &seconds, &peakKiB, &status) == 3) {
    run.seconds = seconds;
    run.peakRssMiB = static_cast<double>(peakKiB) / 1024.0;
    run.status = status;
  }
  pclose(pipe);
  return run;
}

}  // namespace qkbench
