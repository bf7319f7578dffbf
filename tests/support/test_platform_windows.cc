// The archive readers from the Windows tests, under wine: the command runs
// from a script, "sh SCRIPT", which wine starts as a Linux process; the
// script leaves the command's output and exit status in files beside it,
// the status last, and the test waits for that file.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/scratch_folder.h"
#include "tests/support/test_platform.h"

namespace qktest {
namespace {

// Wine's conversions between Windows and Unix paths, exported by its
// kernel32; null outside wine.
using UnixName = char* (*)(const WCHAR* dosName);
using DosName = WCHAR* (*)(const char* unixName);

// Wine's functions are exported without the signature a FARPROC has.
template <typename Function>
Function wineFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// The UTF-8 `path` in UTF-16.
std::wstring widePath(const std::string& path) {
  int units = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(units > 0 ? units : 1), L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], units);
  return wide.c_str();
}

std::string readAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The Windows path of the Unix file `unixPath`, or "" outside wine.
std::string dosPath(const std::string& unixPath) {
  auto toDos = wineFunction<DosName>("wine_get_dos_file_name");
  WCHAR* wide = toDos != nullptr ? toDos(unixPath.c_str()) : nullptr;
  if (wide == nullptr) return "";
  char narrow[MAX_PATH * 4];
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return n > 0 ? narrow : "";
}

// Starts "/bin/sh `script`" as a Linux process; returns false when it
// cannot be started.
bool startShell(const std::string& script) {
  std::string shell = dosPath("/bin/sh");
  std::string commandLine = "sh \"" + script + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (shell.empty() || !CreateProcessA(shell.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

CommandResult runCommand(const std::string& command) {
  CommandResult result{-1, ""};
  ScratchFolder folder("qk_command");
  std::string unixFolder = commandPath(folder.path());
  std::ofstream(folder.path() + "\\run.sh", std::ios::binary)
      << "PATH=/usr/local/bin:/usr/bin:/bin; export PATH\n"
      << "{ " << command << "\n} >" << shellQuote(unixFolder + "/output") << " 2>&1\n"
      << "echo $? >" << shellQuote(unixFolder + "/status.part") << "\n"
      << "mv " << shellQuote(unixFolder + "/status.part") << " " << shellQuote(unixFolder + "/status") << "\n";
  if (!startShell(unixFolder + "/run.sh")) {
    result.output = "cannot start /bin/sh: the Windows tests run under wine";
    return result;
  }
  const std::string status = folder.path() + "\\status";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (GetFileAttributesA(status.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (std::chrono::steady_clock::now() > deadline) {
      result.output = "no end of: " + command;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.status = atoi(readAll(status).c_str());
  result.output = readAll(folder.path() + "\\output");
  return result;
}

std::string commandPath(const std::string& path) {
  auto toUnix = wineFunction<UnixName>("wine_get_unix_file_name");
  if (toUnix == nullptr) return path;
  char* unix = toUnix(widePath(path).c_str());
  if (unix == nullptr) return path;
  std::string converted = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return converted;
}

namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Calls `use` with the file `path` opened for `access`, sharing `share`;
// returns false when it cannot be opened or `use` fails.
template <typename Use>
bool withFile(const std::string& path, DWORD access, DWORD share, Use use) {
  HANDLE file = CreateFileW(widePath(path).c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool done = use(file);
  CloseHandle(file);
  return done;
}

}  // namespace

bool setLastWriteTime(const std::string& path, uint64_t fileTime) {
  FILETIME time = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  return withFile(path, FILE_WRITE_ATTRIBUTES, kShareReadWrite,
                  [&](HANDLE file) { return SetFileTime(file, nullptr, nullptr, &time) != 0; });
}

uint64_t creationTime(const std::string& path) {
  FILETIME created = {};
  if (!withFile(path, GENERIC_READ, kShareReadWrite, [&](HANDLE file) { return GetFileTime(file, &created, nullptr, nullptr) != 0; }))
    return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::string readSharedFile(const std::string& path) {
  std::string bytes;
  withFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, [&](HANDLE file) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    return true;
  });
  return bytes;
}

std::string absoluteFolder(const std::string& path) { return path; }

std::string codePageText(const std::string& utf8) {
  std::wstring wide = widePath(utf8);
  char narrow[MAX_PATH * 4];
  BOOL lossy = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, narrow, sizeof narrow, nullptr,
                                  &lossy);
  return bytes > 0 && !lossy ? narrow : "";
}

const bool kUnnamedFiles = false;

const bool kRetriesBusyFiles = true;

const char kSystemLibrary[] = "kernel32.dll";

bool underWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace qktest
