// The walks over a path's characters and the UTF-8 decoder, the same on
// every platform; the code page and the counting of names come from
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

// Decodes the UTF-8 sequence at `text` into `*c` and returns its length,
// or 0 when it is no valid sequence (overlong, a surrogate, above
// U+10FFFF, or cut short).
size_t decodeUtf8(const unsigned char* text, char32_t* c) {
  unsigned char lead = text[0];
  size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0) return 0;
  static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t value = lead & kLeadMask[length];
  for (size_t i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (text[i] & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return length;
}

}  // namespace

int platformIsSeparator(char c) { return c == '/' || c == '\\'; }

size_t platformCharacterLength(const char* text) {
  char32_t c = 0;
  size_t length = decodeUtf8(reinterpret_cast<const unsigned char*>(text), &c);
  return length > 0 ? length : 1;
}

size_t platformNameLength(const char* name) { return platformPathLength(name); }

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

int platformToUtf16(const char* text, std::u16string* out) {
  out->clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0') {
    char32_t c = 0;
    size_t length = decodeUtf8(p, &c);
    if (length == 0) return 0;
    p += length;
    if (c >= 0x10000) {
      out->push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      c = 0xDC00 + ((c - 0x10000) & 0x3FF);
    }
    out->push_back(static_cast<char16_t>(c));
  }
  return 1;
}

int platformToUtf8(const char* text, std::string* out) {
  std::u16string units;
  if (!platformToUtf16(text, &units)) return 0;
  out->assign(text);
  return 1;
}
