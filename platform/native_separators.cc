#include "platform/native_separators.h"

#include "platform/platform.h"
#include "platform/text.h"

// Byte by byte: no byte of a UTF-8 sequence is ASCII.
void platformNativeSeparators(char* path) {
  for (char* c = path; *c != '\0'; ++c)
    if (platformIsSeparator(*c)) *c = PLATFORM_SEPARATOR;
}
