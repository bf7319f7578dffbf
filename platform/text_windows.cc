// Path text on Win32, where names are in the ANSI code page, single-byte
// or double-byte.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text.h"

size_t platformCharacterLength(const char* text) {
  return IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
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
