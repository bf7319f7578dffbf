// Path text on POSIX, where names are UTF-8.
#include "platform/text.h"

namespace {

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

size_t platformCharacterLength(const char*) { return 1; }

const char* platformMiddleDot() { return "\xC2\xB7"; }

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

int platformFromUtf8(const char* utf8, std::string* out) {
  out->assign(utf8);
  return 1;
}
