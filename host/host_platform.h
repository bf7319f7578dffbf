// The stand-in host's view of the operating system: loading a plug-in
// file, and where a host program finds its plug-in and keeps its settings.
// host_platform_posix.cc implements it with dlopen, host_platform_windows.cc
// with LoadLibraryA; the build picks one.
#ifndef QK_HOST_HOST_PLATFORM_H_
#define QK_HOST_HOST_PLATFORM_H_

#include <string>

namespace qkhost {

// Loads the library at `path` with the system's loader, resolving all its
// references now. Returns its handle, or null with the loader's reason in
// `*error`.
void* loadLibrary(const std::string& path, std::string* error);

// Returns the address of the symbol `name` that the library exports, or null.
void* librarySymbol(void* library, const char* name);

// Unloads a library that loadLibrary returned.
void unloadLibrary(void* library);

// Returns the path of the file `name` in the running program's folder;
// `argv0` stands for the program when the system cannot name it.
std::string pathBesideProgram(const char* argv0, const std::string& name);

// Returns `path` as a full path (a relative one taken from the current
// folder), as the host names every object it has opened; `path` itself
// when the system cannot tell.
std::string fullPathOf(const std::string& path);

// Returns the folder in which a host keeps its settings by default:
// $XDG_CONFIG_HOME/qkhost or ~/.config/qkhost on POSIX,
// %APPDATA%\qkhost on Windows.
std::string defaultSettingsFolder();

// Returns whether standard input is a terminal a user types at.
bool standardInputIsTerminal();

}  // namespace qkhost

#endif  // QK_HOST_HOST_PLATFORM_H_
