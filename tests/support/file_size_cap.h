// FileSizeCap: a disk that fills up, made on POSIX with the process's file
// size limit (RLIMIT_FSIZE). Windows has no such limit; tests that use it
// build for POSIX only.
#ifndef QK_TESTS_SUPPORT_FILE_SIZE_CAP_H_
#define QK_TESTS_SUPPORT_FILE_SIZE_CAP_H_

#include <signal.h>
#include <sys/resource.h>

namespace qktest {

// Caps the size of every file this process writes, for the guard's lifetime;
// a write past the cap fails instead of raising SIGXFSZ.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit cap = previous_;
    cap.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &cap);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;

 private:
  rlimit previous_;
  void (*previousHandler_)(int);
};

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_FILE_SIZE_CAP_H_
