// The archive readers on POSIX: popen.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/support/plugin_fixture.h"
#include "tests/support/test_platform.h"

namespace qktest {

CommandResult runCommand(const std::string& command) {
  CommandResult result{-1, ""};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

std::string commandPath(const std::string& path) { return path; }

namespace {

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpoch = 116444736000000000ull;

}  // namespace

bool setLastWriteTime(const std::string& path, uint64_t fileTime) {
  uint64_t units = fileTime - kUnixEpoch;
  struct timespec time = {static_cast<time_t>(units / 10000000), static_cast<long>(units % 10000000 * 100)};
  struct timespec times[2] = {time, time};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

uint64_t creationTime(const std::string& path) {
  struct statx status;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &status) != 0 || !(status.stx_mask & STATX_BTIME)) return 0;
  return kUnixEpoch + static_cast<uint64_t>(status.stx_btime.tv_sec) * 10000000 + status.stx_btime.tv_nsec / 100;
}

std::string codePageText(const std::string& utf8) { return utf8; }

std::string absoluteFolder(const std::string& path) { return "/" + path; }

std::string readSharedFile(const std::string& path) { return readFile(path); }

const bool kRetriesBusyFiles = false;

const bool kUnnamedFiles = true;

const char kSystemLibrary[] = "libc.so.6";

bool underWine() { return false; }

}  // namespace qktest
