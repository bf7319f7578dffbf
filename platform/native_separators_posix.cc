#include "platform/native_separators.h"

void platformNativeSeparators(char* path) {
  for (char* c = path; *c != '\0'; ++c)
    if (*c == '\\') *c = '/';
}
