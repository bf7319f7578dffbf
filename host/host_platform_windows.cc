// The stand-in host on Windows: LoadLibraryA, the program's own module
// file name and %APPDATA%.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>
#include <stdio.h>

#include <cstdlib>

#include "host/host_platform.h"

namespace qkhost {

namespace {

// The system's text for an error code, without its line end.
std::string errorText(DWORD code) {
  char text[256] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                           text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' ')) --n;
  return "error " + std::to_string(code) + (n > 0 ? ": " + std::string(text, n) : "");
}

}  // namespace

void* loadLibrary(const std::string& path, std::string* error) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) *error = errorText(GetLastError());
  return reinterpret_cast<void*>(library);
}

void* librarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string pathBesideProgram(const char* argv0, const std::string& name) {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path = n > 0 && n < sizeof self ? std::string(self, n) : std::string(argv0);
  size_t separator = path.find_last_of("\\/");
  return (separator == std::string::npos ? std::string(".") : path.substr(0, separator)) + "\\" + name;
}

std::string fullPathOf(const std::string& path) {
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return n > 0 && n < sizeof full ? std::string(full, n) : path;
}

std::string defaultSettingsFolder() {
  const char* appData = std::getenv("APPDATA");
  return std::string(appData && *appData ? appData : ".") + "\\qkhost";
}

bool standardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace qkhost
