// The stand-in host's view of the operating system: loading a plug-in
// file, where a host program finds its plug-in and keeps its settings, its
// command line, and the code page its older services speak.
// host_platform_posix.cc implements it with dlopen, host_platform_windows.cc
// with the wide Win32 calls; the build picks one.
//
// Every path and text here is UTF-8, as the stand-in host holds them.
#ifndef QK_HOST_HOST_PLATFORM_H_
#define QK_HOST_HOST_PLATFORM_H_

#include <string>
#include <vector>

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

// Returns the program's arguments after its name, in UTF-8: on Windows
// read from the wide command line, so that names outside the code page
// arrive whole; on POSIX `argv` as it is.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Returns `utf8` in the code page of the older services: on Windows the
// ANSI code page, a character it cannot spell becoming '?' as the host's
// bridge spells it; on POSIX, UTF-8 itself.
std::string codePageText(const std::string& utf8);

// Returns the code-page text `text` in UTF-8 (on POSIX `text` itself).
std::string utf8FromCodePage(const std::string& text);

}  // namespace qkhost

#endif  // QK_HOST_HOST_PLATFORM_H_
