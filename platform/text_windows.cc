// Path text on Win32: names counted in UTF-16 units, and the ANSI code
// page (single-byte or double-byte) of the host's older interface.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string.h>

#include "platform/text.h"

namespace {

// Converts `text` from `codePage` to UTF-16 in `*out`. Returns 1, or 0 when
// some of its bytes are no valid character (an empty text converts).
int toWide(UINT codePage, const char* text, std::wstring* out) {
  out->clear();
  if (text[0] == '\0') return 1;
  int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (units <= 0) return 0;
  out->resize(static_cast<size_t>(units));
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, &(*out)[0], units) <= 0) return 0;
  out->resize(static_cast<size_t>(units) - 1);  // less the terminator
  return 1;
}

// Converts `wide` to `codePage` in `*out`, '?' standing for what it cannot
// spell. Returns 1, or 0 when some character was replaced.
int fromWide(UINT codePage, const std::wstring& wide, std::string* out) {
  out->clear();
  if (wide.empty()) return 1;
  BOOL substituted = FALSE;
  BOOL* check = codePage == CP_UTF8 ? nullptr : &substituted;  // UTF-8 spells every character
  DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int bytes = WideCharToMultiByte(codePage, flags, wide.c_str(), -1, nullptr, 0, nullptr, check);
  if (bytes <= 0) return 0;
  out->resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(codePage, flags, wide.c_str(), -1, &(*out)[0], bytes, nullptr, check);
  out->resize(static_cast<size_t>(bytes) - 1);  // less the terminator
  return !substituted;
}

}  // namespace

size_t platformPathLength(const char* path) {
  std::u16string units;
  return platformToUtf16(path, &units) ? units.size() : strlen(path);
}

size_t platformWholeUnits(const char* text, size_t units) {
  size_t kept = 0, counted = 0;
  while (text[kept] != '\0') {
    size_t bytes = platformCharacterLength(text + kept);
    counted += bytes == 4 ? 2 : 1;  // a stray byte counts as one, as in a path that is no UTF-8
    if (counted > units) break;
    kept += bytes;
  }
  return kept;
}

const char* platformMiddleDot() {
  static std::string dot;
  if (!dot.empty()) return dot.c_str();
  for (const wchar_t* candidate : {L"\u00B7", L"\u30FB"}) {
    std::string spelt;
    if (fromWide(CP_ACP, candidate, &spelt) && fromWide(CP_UTF8, candidate, &dot)) return dot.c_str();
  }
  dot = "-";
  return dot.c_str();
}

int platformCodePageToUtf8(const char* text, std::string* out) {
  std::wstring wide;
  return toWide(CP_ACP, text, &wide) && fromWide(CP_UTF8, wide, out);
}

int platformUtf8ToCodePage(const char* utf8, std::string* out) {
  std::wstring wide;
  return toWide(CP_UTF8, utf8, &wide) && fromWide(CP_ACP, wide, out);
}
