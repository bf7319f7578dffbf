// The stand-in host on Windows: LoadLibraryW, the program's own module
// file name, %APPDATA%, the wide command line and the ANSI code page.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

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

// Returns `text`, in code page `codePage`, as UTF-16.
std::wstring wideOf(const std::string& text, UINT codePage) {
  int units = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
  return wide;
}

// Returns the UTF-16 `wide` in code page `codePage` ('?' for what it cannot spell).
std::string narrowOf(const std::wstring& wide, UINT codePage) {
  int bytes = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], bytes, nullptr,
                        nullptr);
  return text;
}

std::string utf8Of(const wchar_t* wide, size_t units) { return narrowOf(std::wstring(wide, units), CP_UTF8); }

}  // namespace

void* loadLibrary(const std::string& path, std::string* error) {
  HMODULE library = LoadLibraryW(wideOf(path, CP_UTF8).c_str());
  if (library == nullptr) *error = errorText(GetLastError());
  return reinterpret_cast<void*>(library);
}

void* librarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unloadLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string pathBesideProgram(const char* argv0, const std::string& name) {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string path = n > 0 && n < MAX_PATH ? utf8Of(self, n) : std::string(argv0);
  size_t separator = path.find_last_of("\\/");
  return (separator == std::string::npos ? std::string(".") : path.substr(0, separator)) + "\\" + name;
}

std::string fullPathOf(const std::string& path) {
  wchar_t full[MAX_PATH * 4];
  DWORD n = GetFullPathNameW(wideOf(path, CP_UTF8).c_str(), MAX_PATH * 4, full, nullptr);
  return n > 0 && n < MAX_PATH * 4 ? utf8Of(full, n) : path;
}

std::string defaultSettingsFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  return (appData && *appData ? utf8Of(appData, wcslen(appData)) : std::string(".")) + "\\qkhost";
}

bool standardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

std::vector<std::string> commandLineArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(utf8Of(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return arguments;
}

std::string codePageText(const std::string& utf8) { return narrowOf(wideOf(utf8, CP_UTF8), CP_ACP); }

std::string utf8FromCodePage(const std::string& text) { return narrowOf(wideOf(text, CP_ACP), CP_UTF8); }

}  // namespace qkhost
