#include "fuzz/scratch_folder.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace qkfuzz {

namespace fs = std::filesystem;

namespace {

// The folders this process made, removed at exit.
std::vector<std::string>& madeFolders() {
  static std::vector<std::string> folders;
  return folders;
}

void removeMadeFolders() {
  for (const std::string& folder : madeFolders()) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
}

[[noreturn]] void fail(const char* what, const std::string& path) {
  fprintf(stderr, "fuzz scratch: cannot %s %s\n", what, path.c_str());
  abort();
}

std::string scratchRoot() {
  const char* chosen = getenv("QK_FUZZ_SCRATCH");
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  std::error_code error;
  return fs::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
}

}  // namespace

std::string makeScratchFolder(const char* tag) {
  std::string pattern = scratchRoot() + "/" + tag + ".XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) fail("create a folder like", pattern);
  if (madeFolders().empty()) atexit(removeMadeFolders);
  madeFolders().push_back(pattern);
  return pattern;
}

void emptyFolder(const std::string& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    fs::remove_all(entry.path(), error);
    if (error) fail("remove", entry.path().string());
  }
  if (error) fail("list", folder);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) fail("write", path);
}

FolderListing listFolder(const std::string& folder) {
  FolderListing listing;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::string name = entry.path().filename().string();
    std::error_code statusError;
    if (entry.is_directory(statusError))
      listing.folders.insert(name);
    else
      listing.files.insert(name);
  }
  if (error) fail("list", folder);
  return listing;
}

}  // namespace qkfuzz
