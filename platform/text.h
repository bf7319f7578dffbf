// Path text: walking a path by characters, comparing names without regard
// to ASCII case, converting names to UTF-16 for the archives and the file
// system, and converting to and from the code page the host's older
// interface speaks.
//
// Every text the plug-in holds is UTF-8, on every platform: the host
// boundary converts what the host hands in and out (hostapi/host_text.h),
// and the Win32 file calls convert to UTF-16. A byte below 0x80 is always a
// character of its own in UTF-8, so the scans for separators and ASCII
// letters may look at bytes; the walks still step by whole sequences so
// that a cut never splits one. text_posix.cc and text_windows.cc hold what
// differs (the code page, how a file system counts a name); the build
// picks one.
#ifndef QK_PLATFORM_TEXT_H_
#define QK_PLATFORM_TEXT_H_

#include <stddef.h>

#include <string>

// Returns 1 iff `c` is '/' or '\\', either of which separates a path's parts.
int platformIsSeparator(char c);

// Returns the bytes of the character that starts at `text`: the length of
// a valid UTF-8 sequence, else 1 (a stray byte, and the terminator).
size_t platformCharacterLength(const char* text);

// Bytes of a buffer that holds, in UTF-8 with its terminator, a text of
// `units` as platformPathLength counts them: 3 bytes a UTF-16 unit at most
// (a character of 4 bytes is a pair of units).
#define PLATFORM_UTF8_SIZE(units) (3 * (units) + 1)

// Returns the length of the path `path` as the file system counts it
// against its limits: UTF-16 units on Win32 (a path that is no valid UTF-8
// counts its bytes), bytes on POSIX.
size_t platformPathLength(const char* path);

// Returns the length of the file name `name` as the file system counts it
// against its limit of 255, as platformPathLength counts a path.
size_t platformNameLength(const char* name);

// Returns the most bytes of `text` that a cut keeps without splitting a
// character while they count at most `units` as platformPathLength counts
// them.
size_t platformWholeUnits(const char* text, size_t units);

// Returns the most bytes, at most `limit`, that a cut of `text` keeps
// without splitting a character.
size_t platformWholeCharacters(const char* text, size_t limit);

// Returns the offset just past the last separator among the first `length`
// bytes of `path`, or 0 when they hold none.
size_t platformAfterLastSeparator(const char* path, size_t length);

// Returns 1 iff the first `length` bytes of `path` end in a separator that
// stands as a character of its own; 0 for a `length` of 0.
int platformEndsInSeparator(const char* path, size_t length);

// Returns the offset of the first separator of `path`, or its length when
// it has none.
size_t platformFirstSeparator(const char* path);

// Returns 1 iff byte `offset` of `text` starts a character (the walk from
// the start of `text` lands on it).
int platformStartsCharacter(const char* text, size_t offset);

// Returns `unit` in lower case when it is an ASCII capital letter, else as
// it is. `Unit` is a char of path text or a UTF-16 unit: a unit of a
// character beyond ASCII is never a capital letter here, so it stays.
template <typename Unit>
Unit platformFoldAscii(Unit unit) {
  return unit >= 'A' && unit <= 'Z' ? static_cast<Unit>(unit - 'A' + 'a') : unit;
}

// Returns less than, equal to or greater than 0 as the name `a` sorts
// before, with or after `b` in an NTFS folder: byte by byte with ASCII
// letters in upper case, names equal but for case in byte order.
int platformCompareNames(const char* a, const char* b);

// Returns 1 iff the first `length` bytes of `a` and `b` hold the same
// characters: ASCII letters that stand as characters of their own compare
// without regard to case, every other character byte for byte. (A
// non-ASCII letter in another case is another name here, though NTFS may
// take it for the same: the names compared are spelt by this plug-in from
// the object's name, so they agree byte for byte.)
int platformEqualIgnoringCase(const char* a, const char* b, size_t length);

// Returns 1 iff `text` ends in `suffix` (an ASCII text such as ".lwo"),
// compared as platformEqualIgnoringCase does, starting at a character of
// its own; 0 otherwise, and for a null `text`.
int platformEndsWithIgnoringCase(const char* text, const char* suffix);

// Returns 1 iff every byte of `text` is below 0x80.
int platformIsAscii(const char* text);

// Returns the middle dot that separates the parts of a text shown to the
// user, in UTF-8, one the host's code page can spell too: "·" (U+00B7)
// where the code page has it, else the katakana middle dot "・" (U+30FB,
// code page 932), else "-".
const char* platformMiddleDot();

// Converts the UTF-8 `text` to UTF-16. Returns 1, or 0 when some of its
// bytes are no valid UTF-8 (overlong, a surrogate, above U+10FFFF, cut
// short; `*out` then unspecified).
int platformToUtf16(const char* text, std::u16string* out);

// Copies `text` to `*out` when it is valid UTF-8. Returns 1, or 0 as
// platformToUtf16 does.
int platformToUtf8(const char* text, std::string* out);

// Converts `text` from the system's ANSI code page to UTF-8 (on POSIX,
// where the code page is UTF-8, copies it). Returns 1, or 0 when some of
// its bytes are no valid character of the code page (`*out` then
// unspecified).
int platformCodePageToUtf8(const char* text, std::string* out);

// Converts the valid UTF-8 `utf8` to the system's ANSI code page (on POSIX
// copies it). Returns 1, or 0 when the code page cannot spell some of its
// characters: `*out` then holds '?' for each of them, as the host's bridge
// spells them.
int platformUtf8ToCodePage(const char* utf8, std::string* out);

#endif  // QK_PLATFORM_TEXT_H_
