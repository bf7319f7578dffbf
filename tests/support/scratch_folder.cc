#include "tests/support/scratch_folder.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace qktest {

ScratchFolder::ScratchFolder(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + ".XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    perror("mkdtemp");
    abort();
  }
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace qktest
