#include "tests/support/output_file.h"

#include "platform/staged_file.h"

namespace qktest {

namespace {

std::string folderOf(const std::string& path) {
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

}  // namespace

PlatformFile* createOutputFile(const std::string& path) {
  return createStagedFile(folderOf(path).c_str(), "qktest", kPlatformStageNew);
}

int finishOutputFile(PlatformFile* file, const std::string& path) {
  if (file == nullptr) return 0;
  platformDeleteFile(path.c_str());  // none there is as good
  PlatformError error = kPlatformOk;
  int named = platformPublish(file, path.c_str(), &error);
  return platformClose(file) && named;
}

}  // namespace qktest
