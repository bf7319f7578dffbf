#include "tests/support/fault_plan.h"

#include <stdlib.h>

namespace qktest {
namespace {

FaultPlan* installed = nullptr;

const char* const kNames[] = {
    "FindFirst",     "FindNext",    "Delete",        "MakeDirectory",   "PathStatus", "FileIdentity",
    "SyncFolder",    "OpenRead",    "Copy",          "CreateUnnamed",   "CreateNamed", "Publish",
    "RemoveAbandoned", "Read",      "Write",         "Seek",            "FileLength", "FileTimes",
    "SyncFile",      "Close",       "CurrentTime",   "TimeToDos",       "LocalTime",  "ProcessorCount", "EntryFacts",
    "Rename",
};
static_assert(sizeof kNames / sizeof kNames[0] == kPlatformOpCount, "a name for every operation");

}  // namespace

const char* operationName(PlatformOperation operation) {
  return operation >= 0 && operation < kPlatformOpCount ? kNames[operation] : "?";
}

FaultPlan::FaultPlan() {
  if (installed != nullptr) abort();  // two plans would count each other's calls
  installed = this;
  platformFaultHook = hook;
}

FaultPlan::~FaultPlan() {
  platformFaultHook = nullptr;
  installed = nullptr;
}

void FaultPlan::failCall(PlatformOperation operation, int call, PlatformError error, int times) {
  for (std::atomic<int>& count : counts_) count = 0;
  fired_ = false;
  operation_ = operation;
  call_ = call;
  times_ = times;
  error_ = error;
}

PlatformError FaultPlan::hook(PlatformOperation operation) { return installed->decide(operation); }

PlatformError FaultPlan::decide(PlatformOperation operation) {
  int call = ++counts_[operation];
  if (operation == alwaysOperation_ && alwaysError_ != kPlatformOk) return alwaysError_;
  if (operation != operation_ || call < call_ || call >= call_ + times_) return kPlatformOk;
  fired_ = true;
  return error_;
}

}  // namespace qktest
