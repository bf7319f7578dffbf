// A seam through which tests make chosen calls of the platform layer fail.
//
// Every operation of platform.h asks platformFaulted (or
// platformInjectedFault) first, naming itself. The library comes in two
// variants, chosen by the build: the one the plug-in and the benchmarks
// link has no hook, and there each check is a constant that compiles to
// nothing. The one the tests link (QK_PLATFORM_FAULT_HOOK defined) asks a
// hook, null unless a test set it: a test that sets one can answer an error
// for the calls it picks, and the operation then fails as it would on a
// failing disk or system, with that error where it reports one.
#ifndef QK_PLATFORM_PLATFORM_FAULT_H_
#define QK_PLATFORM_PLATFORM_FAULT_H_

#include "platform/platform.h"

// The operations a fault can be injected into, one per function of
// platform.h that can fail.
enum PlatformOperation : int {
  kPlatformOpFindFirst,    // the search fails to start with the error
  kPlatformOpFindNext,     // the listing ends early with the error
  kPlatformOpDelete,
  kPlatformOpMakeDirectory,
  kPlatformOpPathStatus,
  kPlatformOpFileIdentity,
  kPlatformOpSyncFolder,   // access denied: it cannot be opened; else the flush fails
  kPlatformOpOpenRead,
  kPlatformOpCopy,
  kPlatformOpCreateUnnamed,  // the file system makes no unnamed files
  kPlatformOpCreateNamed,
  kPlatformOpPublish,      // kPlatformFileExists: the name was taken
  kPlatformOpRemoveAbandoned,
  kPlatformOpRead,         // delivers half of what was asked, then fails
  kPlatformOpWrite,        // writes half of what was asked, then fails
  kPlatformOpSeek,
  kPlatformOpFileLength,
  kPlatformOpFileTimes,
  kPlatformOpSyncFile,
  kPlatformOpClose,        // the file is still closed and freed
  kPlatformOpCurrentTime,  // answers 0
  kPlatformOpTimeToDos,
  kPlatformOpLocalTime,
  kPlatformOpProcessorCount,  // answers 0, "cannot tell"
  kPlatformOpEntryFacts,
  kPlatformOpRename,       // kPlatformFileExists: the new name was taken
  kPlatformOpCount,
};

#ifdef QK_PLATFORM_FAULT_HOOK

// Decides whether this call of `operation` fails: returns the error to
// fail with, or kPlatformOk to let it run. May be called from the 7z
// encoder's threads as well as the command thread.
using PlatformFaultHook = PlatformError (*)(PlatformOperation operation);

// The hook in force; null unless a test installed one.
extern PlatformFaultHook platformFaultHook;

// Returns the hook's answer for this call of `operation`, or kPlatformOk
// when no hook is set.
inline PlatformError platformInjectedFault(PlatformOperation operation) {
  return platformFaultHook != nullptr ? platformFaultHook(operation) : kPlatformOk;
}

// Returns true, with the platform's error (errno, or Win32's last error)
// set to the injected one, when this call of `operation` is to fail.
bool platformFaulted(PlatformOperation operation);

#else

// Without the hook no call fails here; always inlined, so that no trace of
// the check is left in the plug-in, unoptimised builds included.
__attribute__((always_inline)) inline PlatformError platformInjectedFault(PlatformOperation) {
  return kPlatformOk;
}

// Without the hook no call fails here: returns false.
__attribute__((always_inline)) inline bool platformFaulted(PlatformOperation) { return false; }

#endif

// The C runtime's error number that stands for `error` where an operation
// reports one (folder creation): EEXIST for kPlatformFileExists, ENOENT
// for a missing file or folder, EACCES for denied access, else EIO.
int platformErrnoOf(PlatformError error);

#endif  // QK_PLATFORM_PLATFORM_FAULT_H_
