#include "bench/process_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace qkbench {

namespace {

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

[[noreturn]] void execChild(const std::vector<std::string>& argv) {
  int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

}  // namespace

ProcessRun runProcess(const std::vector<std::string>& argv) {
  ProcessRun run;
  double start = now();
  pid_t child = fork();
  if (child < 0) return run;
  if (child == 0) execChild(argv);
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.seconds = now() - start;
  run.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

}  // namespace qkbench
