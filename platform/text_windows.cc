// Path text on Win32, where names are in the ANSI code page, single-byte
// or double-byte.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text.h"

size_t platformCharacterLength(const char* text) {
  return IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
}

const char* platformMiddleDot() {
  static char dot[4];
  if (dot[0] != '\0') return dot;
  for (wchar_t candidate : {L'\u00B7', L'\u30FB'}) {
    BOOL substituted = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &candidate, 1, dot, sizeof dot - 1, nullptr,
                                    &substituted);
    if (bytes > 0 && !substituted) {
      dot[bytes] = '\0';
      return dot;
    }
  }
  dot[0] = '-';
  dot[1] = '\0';
  return dot;
}

int platformToUtf16(const char* text, std::u16string* out) {
  out->clear();
  if (text[0] == '\0') return 1;
  int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (units <= 0) return 0;
  out->resize(static_cast<size_t>(units));
  wchar_t* wide = reinterpret_cast<wchar_t*>(&(*out)[0]);  // UTF-16 units, as char16_t
  units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, units);
  if (units <= 0) return 0;
  out->resize(static_cast<size_t>(units) - 1);  // less the terminator
  return 1;
}

int platformFromUtf8(const char* utf8, std::string* out) {
  out->clear();
  int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (units <= 0) return 0;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], units);
  BOOL substituted = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &substituted);
  if (bytes <= 0 || substituted) return 0;
  out->resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, &(*out)[0], bytes, nullptr, nullptr);
  out->resize(static_cast<size_t>(bytes) - 1);  // less the terminator
  return 1;
}
