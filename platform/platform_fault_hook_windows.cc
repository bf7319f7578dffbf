// The fault hook of the library the tests link, on Windows: an injected
// error is the last error, as the failing call would leave it.
#include "platform/platform_fault.h"

#include <windows.h>

PlatformFaultHook platformFaultHook = nullptr;

bool platformFaulted(PlatformOperation operation) {
  PlatformError error = platformInjectedFault(operation);
  if (error == kPlatformOk) return false;
  SetLastError(static_cast<DWORD>(error));  // the codes are Win32's own
  return true;
}
