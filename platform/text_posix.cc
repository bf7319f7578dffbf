// Path text on POSIX, where names are UTF-8 and counted in bytes.
#include "platform/text.h"

#include <string.h>

size_t platformPathLength(const char* path) { return strlen(path); }

size_t platformWholeUnits(const char* text, size_t units) { return platformWholeCharacters(text, units); }

const char* platformMiddleDot() { return "\xC2\xB7"; }

int platformCodePageToUtf8(const char* text, std::string* out) {
  out->assign(text);
  return 1;
}

int platformUtf8ToCodePage(const char* utf8, std::string* out) {
  out->assign(utf8);
  return 1;
}
