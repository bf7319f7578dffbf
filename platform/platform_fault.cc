#include "platform/platform_fault.h"

#include <errno.h>

int platformErrnoOf(PlatformError error) {
  switch (error) {
    case kPlatformFileExists: return EEXIST;
    case kPlatformFileNotFound: return ENOENT;
    case kPlatformPathNotFound: return ENOENT;
    case kPlatformAccessDenied: return EACCES;
    case kPlatformBusy: return EBUSY;
    case kPlatformNameTooLong: return ENAMETOOLONG;
    default: return EIO;
  }
}
