#include "backups/save_profile.h"

#include <string.h>

#include "platform/text.h"

namespace {

// Constructed when the plug-in is loaded, destroyed when it is unloaded.
SaveProfile theIncrementalProfile;
BakSaveProfile theBakProfile;

constexpr int32_t kMinDigits = 1;
constexpr int32_t kMaxDigits = 8;

}  // namespace

SaveProfile& incrementalProfile() { return theIncrementalProfile; }
BakSaveProfile& bakProfile() { return theBakProfile; }

SaveProfile::SaveProfile() = default;
SaveProfile::~SaveProfile() = default;

void SaveProfile::release() { directory.assign(nullptr); }

void SaveProfile::reset() {
  nameFormat = kNameUnderscoreLwo;
  digits = 3;
  directory.assign(".incr_save");
  maxFiles = 0;
  directoryMode = RelativeFolder;  // set directly: the default is known to be relative
  skipUnchanged = 0;
  keepHours = 0;
  keepDays = 0;
  keepWeeks = 0;
  maxTotalMB = 0;
}

BakSaveProfile::BakSaveProfile() {
  isBak = 1;
  maxFiles = 1;
  globalName.assign("qkincr-lwo-bak");
}

// Members are destroyed in reverse order: globalName first, then directory.
BakSaveProfile::~BakSaveProfile() = default;

void BakSaveProfile::release() {
  globalName.assign(nullptr);
  SaveProfile::release();
}

void BakSaveProfile::reset() {
  SaveProfile::reset();
  nameFormat = kNameDotLwo;
  digits = 1;
  directory.assign(".bak_save");
  maxFiles = 1;
}

int32_t digitsInRange(int32_t digits) {
  return digits < kMinDigits ? kMinDigits : digits > kMaxDigits ? kMaxDigits : digits;
}

uint32_t limitInRange(int32_t limit) { return limit < 1 ? 1 : static_cast<uint32_t>(limit); }

int32_t historyValueInRange(int32_t value) {
  return value < 0 ? 0 : value > kMaxHistoryValue ? kMaxHistoryValue : value;
}

void keepValuesInRange(SaveProfile& profile) {
  profile.digits = digitsInRange(profile.digits);
  if (profile.isBak || profile.maxFiles != 0)
    profile.maxFiles = limitInRange(static_cast<int32_t>(profile.maxFiles));
  for (int32_t* value : {&profile.keepHours, &profile.keepDays, &profile.keepWeeks, &profile.maxTotalMB})
    *value = historyValueInRange(*value);
}

int isUncPath(const char* text, size_t length) {
  // The first three bytes each start a character: a separator is one of its
  // own, and no lead byte is a separator.
  return length >= 3 && platformIsSeparator(text[0]) && platformIsSeparator(text[1]) &&
         !platformIsSeparator(text[2]);
}

DirectoryMode classifyDirectory(const char* text) {
  if (text == nullptr || text[0] == '\0') return ObjectFolder;
  if (isUncPath(text, strlen(text)) || strchr(text, ':') != nullptr) return AbsoluteFolder;
  return RelativeFolder;
}
