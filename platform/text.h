// Path text in the system's code page: walking a path by characters,
// comparing names without regard to ASCII case, and converting a name to
// UTF-16 and UTF-8 for the archives.
//
// Paths are 8-bit strings in the system's code page: UTF-8 on POSIX, the
// ANSI code page on Win32. In a double-byte code page (932, 936, 949, 950)
// the second byte of a character may be '\\' or an ASCII letter, so a path
// is never scanned or case-folded byte by byte: every scan here steps from
// character to character. In UTF-8 a byte below 0x80 is always a character
// of its own. text_posix.cc and text_windows.cc hold what differs; the
// build picks one.
#ifndef QK_PLATFORM_TEXT_H_
#define QK_PLATFORM_TEXT_H_

#include <stddef.h>

#include <string>

// Returns 1 iff `c` is '/' or '\\', either of which separates a path's parts.
int platformIsSeparator(char c);

// Returns the bytes of the character that starts at `text`: 2 for a lead
// byte of a double-byte code page followed by a byte other than '\0', else
// 1 (also at the terminator). On POSIX always 1: the scans and the folding
// look only at bytes below 0x80, which UTF-8 never uses inside a character.
size_t platformCharacterLength(const char* text);

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
// user, in the system's code page: "·" (U+00B7) where the code page has
// it, else the katakana middle dot "・" (U+30FB, code page 932), else "-".
const char* platformMiddleDot();

// Converts `text` from the system's code page to UTF-16. Returns 1, or 0
// when some of its bytes are no valid character (`*out` then unspecified).
int platformToUtf16(const char* text, std::u16string* out);

// Converts `text` from the system's code page to UTF-8. Returns 1, or 0 as
// platformToUtf16 does.
int platformToUtf8(const char* text, std::string* out);

// Converts the UTF-8 `utf8` to the system's code page. Returns 1, or 0 when
// it is no valid UTF-8 or holds a character the code page cannot spell
// (`*out` then unspecified). On POSIX it is copied as it is.
int platformFromUtf8(const char* utf8, std::string* out);

#endif  // QK_PLATFORM_TEXT_H_
