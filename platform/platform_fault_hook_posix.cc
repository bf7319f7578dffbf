// The fault hook of the library the tests link, on POSIX: an injected
// error stands in errno as the failing call would leave it.
#include "platform/platform_fault.h"

#include <errno.h>

PlatformFaultHook platformFaultHook = nullptr;

bool platformFaulted(PlatformOperation operation) {
  PlatformError error = platformInjectedFault(operation);
  if (error == kPlatformOk) return false;
  errno = platformErrnoOf(error);
  return true;
}
