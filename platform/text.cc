// The walks over a path's characters and the UTF-8 encoder, the same on
// every platform; the character lengths and the code page come from
// text_posix.cc or text_windows.cc.
#include "platform/text.h"

#include <string.h>

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Returns the byte `c` stands for in the order of names: a letter as its
// capital, as NTFS orders them, so "a" sorts before "_".
unsigned char orderKey(char c) {
  unsigned char folded = static_cast<unsigned char>(platformFoldAscii(c));
  return isAsciiLetter(c) ? static_cast<unsigned char>(folded - 'a' + 'A') : folded;
}

// Appends code point `c` (at most 0x10FFFF) to `out` in UTF-8.
void appendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
    return;
  }
  int trailing = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  out->push_back(static_cast<char>(kLead[trailing] | (c >> (6 * trailing))));
  for (int i = trailing - 1; i >= 0; --i) out->push_back(static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F)));
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

int platformIsSeparator(char c) { return c == '/' || c == '\\'; }

size_t platformWholeCharacters(const char* text, size_t limit) {
  size_t kept = 0;
  while (text[kept] != '\0') {
    size_t next = kept + platformCharacterLength(text + kept);
    if (next > limit) break;
    kept = next;
  }
  return kept;
}

size_t platformAfterLastSeparator(const char* path, size_t length) {
  size_t after = 0;
  for (size_t i = 0; i < length && path[i] != '\0'; i += platformCharacterLength(path + i))
    if (platformIsSeparator(path[i])) after = i + 1;
  return after;
}

int platformEndsInSeparator(const char* path, size_t length) {
  return length > 0 && platformAfterLastSeparator(path, length) == length;
}

size_t platformFirstSeparator(const char* path) {
  size_t i = 0;
  while (path[i] != '\0' && !platformIsSeparator(path[i])) i += platformCharacterLength(path + i);
  return i;
}

int platformStartsCharacter(const char* text, size_t offset) {
  size_t i = 0;
  while (i < offset && text[i] != '\0') i += platformCharacterLength(text + i);
  return i == offset;
}

int platformCompareNames(const char* a, const char* b) {
  for (size_t i = 0;; ++i) {
    unsigned char x = orderKey(a[i]), y = orderKey(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return strcmp(a, b);
  }
}

int platformEqualIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length;) {
    size_t n = platformCharacterLength(a + i);
    if (n == 1 && isAsciiLetter(a[i])) {
      if (platformFoldAscii(a[i]) != platformFoldAscii(b[i])) return 0;
    } else {
      for (size_t k = 0; k < n; ++k)
        if (a[i + k] != b[i + k]) return 0;
    }
    i += n;
  }
  return 1;
}

int platformEndsWithIgnoringCase(const char* text, const char* suffix) {
  size_t n = text != nullptr ? strlen(text) : 0;
  size_t m = strlen(suffix);
  return n >= m && platformStartsCharacter(text, n - m) && platformEqualIgnoringCase(text + n - m, suffix, m);
}

int platformIsAscii(const char* text) {
  for (; *text != '\0'; ++text)
    if (static_cast<unsigned char>(*text) >= 0x80) return 0;
  return 1;
}

int platformToUtf8(const char* text, std::string* out) {
  std::u16string units;
  if (!platformToUtf16(text, &units)) return 0;
  out->clear();
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (isHighSurrogate(units[i]) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i]))
      return 0;
    appendUtf8(c, out);
  }
  return 1;
}
