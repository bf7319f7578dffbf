// The name under which an archive stores its one file, and the encodings
// the archives store names in.
//
// Names are UTF-8 inside the plug-in. A 7z archive stores UTF-16, surrogate
// pairs included; a zip archive stores an ASCII name byte for byte and any
// other name in UTF-8, marked by bit 11 of its general purpose flag. A name
// whose bytes are no valid text (a file named on another system, whose
// code-page bytes the host boundary carried through) is still archived,
// under the fallback each function states.
#ifndef QK_ARCHIVE_ENTRY_NAME_H_
#define QK_ARCHIVE_ENTRY_NAME_H_

#include <string>

// Returns the part of `path` after its last '/' or '\\' (the whole path
// when it has none), pointing into `path`.
const char* entryNameOf(const char* path);

// Returns `name` in UTF-16. A name that does not convert keeps each byte
// as the 16-bit unit of the same value (read as Latin-1), so it has as
// many units as bytes; a converted name never has more.
std::u16string entryNameUtf16(const char* name);

// Returns `text` as a zip archive stores it, and sets `*utf8` to 1 iff
// that is UTF-8 that differs from the bytes given: an ASCII text, and a
// text that does not convert, are returned as they are (`*utf8` 0).
std::string zipText(const char* text, int* utf8);

#endif  // QK_ARCHIVE_ENTRY_NAME_H_
