// What the tests need of the machine that differs between POSIX and the
// Windows tests under wine.
//
// The independent archive readers (7zz, unzip, zipinfo) are Linux programs
// that check what the plug-in wrote, from outside its code. On POSIX a
// command runs through /bin/sh. The Windows tests run under
// wine, which starts a Linux program but neither waits for it nor reports
// its exit status; there the command runs from a shell script that writes
// its output and status to files, and the test waits for the status.
#ifndef QK_TESTS_SUPPORT_TEST_PLATFORM_H_
#define QK_TESTS_SUPPORT_TEST_PLATFORM_H_

#include <stdint.h>

#include <string>

#include "platform/platform.h"

namespace qktest {

struct CommandResult {
  int status;          // the exit status; -1 when the program did not exit normally
  std::string output;  // standard output and standard error together
};

// The separator the plug-in puts between a folder and a name here.
inline const std::string kSeparator = PLATFORM_SEPARATOR_TEXT;

// True where the file system counts names and paths in UTF-16 units
// (Windows), false where it counts bytes (POSIX).
inline const bool kCountsUnits = kSeparator == "\\";

// Runs `command`, a /bin/sh command line, and returns what it did.
CommandResult runCommand(const std::string& command);

// Returns what the file `path` holds, read as a virus scanner or an indexer
// reads it: letting others write, rename and delete it meanwhile.
std::string readSharedFile(const std::string& path);

// Returns the path under which the command's programs find the file
// `path` names: `path` itself on POSIX, the Unix path of a Windows path
// under wine.
std::string commandPath(const std::string& path);

// Returns `text` quoted as one word for /bin/sh.
std::string shellQuote(const std::string& text);

// Sets the last-write time of the file `path` to `fileTime`, a FILETIME
// (100 ns since 1601-01-01, UTC). Returns true on success.
bool setLastWriteTime(const std::string& path, uint64_t fileTime);

// Returns the creation time the file system keeps for the file `path`, as
// a FILETIME, or 0 when it keeps none.
uint64_t creationTime(const std::string& path);

// Returns the text by which a profile names the absolute folder `path`: on
// POSIX `path` after one more '/', as the plug-in takes only a drive or two
// leading separators for an absolute folder; on Windows `path` itself,
// which starts with its drive.
std::string absoluteFolder(const std::string& path);

// Returns the UTF-8 `utf8` in the system's ANSI code page, as a host of
// interface 3 hands it over and the settings file stores it: itself on
// POSIX; "" when the code page cannot spell it.
std::string codePageText(const std::string& utf8);

// Whether the file system here makes files without a name (the staged
// files of platform/staged_file.h): Linux does, Win32 never.
extern const bool kUnnamedFiles;

// Whether the platform layer tries again an operation on a file that
// another program holds for a moment: Win32 does, POSIX has no such holds.
extern const bool kRetriesBusyFiles;

// The file name of a library that every process here can load and that
// is no plug-in.
extern const char kSystemLibrary[];

// Returns whether the tests run under wine, where a few answers of the
// system differ from Windows'; a test that meets one says so.
bool underWine();

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_TEST_PLATFORM_H_
