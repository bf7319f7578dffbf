// The stand-in host on POSIX: dlopen, /proc/self/exe and the XDG folders.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#include "host/host_platform.h"

namespace qkhost {

void* loadLibrary(const std::string& path, std::string* error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) *error = dlerror();
  return library;
}

void* librarySymbol(void* library, const char* name) { return dlsym(library, name); }

void unloadLibrary(void* library) { dlclose(library); }

std::string pathBesideProgram(const char* argv0, const std::string& name) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string(argv0);
  size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/" + name;
}

std::string fullPathOf(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char folder[4096];
  return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) + "/" + path : path;
}

std::string defaultSettingsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string base = config && *config ? config : std::string(home ? home : ".") + "/.config";
  return base + "/qkhost";
}

bool standardInputIsTerminal() { return isatty(0) != 0; }

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string codePageText(const std::string& utf8) { return utf8; }

std::string utf8FromCodePage(const std::string& text) { return text; }

}  // namespace qkhost
