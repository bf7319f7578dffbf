#include "platform/native_separators.h"

void platformNativeSeparators(char* /*path*/) {}  // Win32 reads '/' and '\\' alike
