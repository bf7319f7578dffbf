// Path text on POSIX, where names are UTF-8 and counted in bytes.
#include "platform/text.h"

#include <string.h>

size_t platformNameLength(const char* name) { return strlen(name); }

const char* platformMiddleDot() { return "\xC2\xB7"; }

int platformCodePageToUtf8(const char* text, std::string* out) {
  out->assign(text);
  return 1;
}

int platformUtf8ToCodePage(const char* utf8, std::string* out) {
  out->assign(utf8);
  return 1;
}
