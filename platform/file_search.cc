// The directory search: a folder's matching entries, read at the start and
// delivered in one fixed order, names compared as an NTFS folder orders
// them (letters folded to upper case). Names equal but for case follow
// byte order, so ties between equal backup numbers break the same way on
// every run and every platform.
#include <algorithm>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/platform.h"
#include "platform/platform_fault.h"
#include "platform/text.h"

struct PlatformSearch {
  std::vector<PlatformFindData> entries;
  size_t next = 0;
  PlatformError error = kPlatformOk;  // what ended the listing early
};

namespace {

bool comesBefore(const PlatformFindData& a, const PlatformFindData& b) {
  return platformCompareNames(a.name, b.name) < 0;
}

// Moves the search's next entry to `next`; returns false when none is left.
bool deliverNext(PlatformSearch* search, PlatformFindData* next) {
  if (search->next >= search->entries.size()) return false;
  *next = search->entries[search->next++];
  return true;
}

}  // namespace

PlatformSearch* platformFindFirst(const char* pattern, PlatformFindData* first, PlatformError* error) {
  PlatformSearch* search = new PlatformSearch;
  search->error = platformListMatches(pattern, &search->entries);
  *error = kPlatformOk;
  if (search->entries.empty()) *error = search->error != kPlatformOk ? search->error : kPlatformFileNotFound;
  if (*error != kPlatformOk) {
    delete search;
    return nullptr;
  }
  std::sort(search->entries.begin(), search->entries.end(), comesBefore);
  deliverNext(search, first);
  return search;
}

int platformFindNext(PlatformSearch* search, PlatformFindData* next) {
  if (search->next >= search->entries.size()) return 0;  // the end is no failure to inject
  if (PlatformError fault = platformInjectedFault(kPlatformOpFindNext)) {
    search->error = fault;
    search->next = search->entries.size();
    return 0;
  }
  return deliverNext(search, next);
}

PlatformError platformFindError(const PlatformSearch* search) { return search->error; }

void platformFindClose(PlatformSearch* search) { delete search; }
