// FaultPlan: counts the calls the plug-in's code makes of the platform
// layer and makes one chosen call fail, through the platform's fault hook.
// The hook may run on the 7z encoder's reading thread while the command
// thread writes: the counts and the fired flag are atomic, and the chosen
// call is set only while no save runs.
#ifndef QK_TESTS_SUPPORT_FAULT_PLAN_H_
#define QK_TESTS_SUPPORT_FAULT_PLAN_H_

#include <atomic>

#include "platform/platform_fault.h"

namespace qktest {

// The operation's name without its prefix ("Write", "SyncFolder", ...).
const char* operationName(PlatformOperation operation);

class FaultPlan {
 public:
  // Installs the plan as the platform's fault hook, counting from zero and
  // failing nothing. One plan at a time.
  FaultPlan();
  // Removes the hook.
  ~FaultPlan();
  FaultPlan(const FaultPlan&) = delete;
  FaultPlan& operator=(const FaultPlan&) = delete;

  // From now on, counting afresh, the `call`-th call (from 1) of
  // `operation` fails with `error`, and so do the `times` - 1 calls after
  // it (a file busy for a while); every other call runs.
  void failCall(PlatformOperation operation, int call, PlatformError error, int times = 1);

  // From now on every call of `operation` fails with `error` as well (a
  // file system that cannot do it); kPlatformOk ends that.
  void failAlways(PlatformOperation operation, PlatformError error) {
    alwaysOperation_ = operation;
    alwaysError_ = error;
  }

  // The calls of `operation` counted so far.
  int calls(PlatformOperation operation) const { return counts_[operation]; }

  // Whether the chosen call was made, and so failed.
  bool fired() const { return fired_; }

 private:
  static PlatformError hook(PlatformOperation operation);
  PlatformError decide(PlatformOperation operation);

  std::atomic<int> counts_[kPlatformOpCount] = {};
  std::atomic<bool> fired_{false};
  PlatformOperation operation_ = kPlatformOpCount;  // none
  int call_ = 0;
  int times_ = 1;
  PlatformError error_ = kPlatformOk;
  PlatformOperation alwaysOperation_ = kPlatformOpCount;
  PlatformError alwaysError_ = kPlatformOk;
};

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_FAULT_PLAN_H_
