#include "archive/entry_name.h"

#include <string.h>

#include "platform/text.h"

const char* entryNameOf(const char* path) {
  return path + platformAfterLastSeparator(path, strlen(path));
}

std::u16string entryNameUtf16(const char* name) {
  std::u16string units;
  if (platformToUtf16(name, &units)) return units;
  units.clear();
  for (const char* c = name; *c != '\0'; ++c) units.push_back(static_cast<unsigned char>(*c));
  return units;
}

std::string zipText(const char* text, int* utf8) {
  std::string converted;
  *utf8 = !platformIsAscii(text) && platformToUtf8(text, &converted);
  return *utf8 ? converted : std::string(text);
}
