#include "tests/support/scratch_folder.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace qktest {

ScratchFolder::ScratchFolder(const std::string& prefix) {
  static std::mt19937_64 names{std::random_device{}()};
  std::error_code error;
  fs::path temp = fs::temp_directory_path(error);
  for (int attempt = 0; !error && attempt < 100; ++attempt) {
    fs::path candidate = temp / (prefix + "." + std::to_string(names() % 1000000000));
    if (fs::create_directory(candidate, error)) {  // false when it exists: another name
      path_ = candidate.string();
      return;
    }
  }
  fprintf(stderr, "cannot make a scratch folder in %s: %s\n", temp.string().c_str(), error.message().c_str());
  abort();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace qktest
