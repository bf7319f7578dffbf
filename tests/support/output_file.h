// Files the tests write through the platform layer, made as the plug-in
// makes its own: staged in the target's folder, named when finished.
#ifndef QK_TESTS_SUPPORT_OUTPUT_FILE_H_
#define QK_TESTS_SUPPORT_OUTPUT_FILE_H_

#include <string>

#include "platform/platform.h"

namespace qktest {

// Creates a file for writing that finishOutputFile names `path`; made as
// every new file is (0666 less the umask on POSIX). Returns null when it
// cannot be created.
PlatformFile* createOutputFile(const std::string& path);

// Names `file`, made by createOutputFile, `path` in place of any file of
// that name, and closes it. Returns 1 iff it was named and closed; 0 for a
// null `file`.
int finishOutputFile(PlatformFile* file, const std::string& path);

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_OUTPUT_FILE_H_
