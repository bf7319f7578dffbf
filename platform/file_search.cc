// The directory search: a folder's matching entries, read at the start and
// delivered in one fixed order, names compared as an NTFS folder orders
// them (letters folded to upper case). Names equal but for case follow
// byte order, so ties between equal backup numbers break the same way on
// every run and every platform.
#include <string.h>

#include <algorithm>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/platform.h"
#include "platform/platform_fault.h"

struct PlatformSearch {
  std::vector<PlatformFindData> entries;
  size_t next = 0;
  PlatformError error = kPlatformOk;  // what ended the listing early
};

namespace {

unsigned char foldUpper(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

bool comesBefore(const PlatformFindData& a, const PlatformFindData& b) {
  for (size_t i = 0;; ++i) {
    unsigned char x = foldUpper(a.name[i]), y = foldUpper(b.name[i]);
    if (x != y) return x < y;
    if (x == 0) return strcmp(a.name, b.name) < 0;
  }
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
