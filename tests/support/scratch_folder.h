// ScratchFolder: a new empty folder under the system's temporary folder,
// removed with everything in it when the ScratchFolder goes.
#ifndef QK_TESTS_SUPPORT_SCRATCH_FOLDER_H_
#define QK_TESTS_SUPPORT_SCRATCH_FOLDER_H_

#include <string>

namespace qktest {

class ScratchFolder {
 public:
  // Creates the folder, named after `prefix`; aborts the test program when
  // it cannot, as nothing in a test could work without it.
  explicit ScratchFolder(const std::string& prefix = "qk_test");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Returns the folder's path, without a trailing separator.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_SCRATCH_FOLDER_H_
