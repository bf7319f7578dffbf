#include "settings/options_panel.h"

#include <initializer_list>
#include <string>

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "settings/panel_layout.h"
#include "settings/panel_messages.h"
#include "settings/panel_validation.h"
#include "settings/settings_file.h"

namespace {

constexpr size_t kHistoryValueCount = 4;

// The profile fields of a tab's history values, in the order of ProfileIds::history.
constexpr int32_t SaveProfile::*kHistoryFields[kHistoryValueCount] = {
    &SaveProfile::keepHours, &SaveProfile::keepDays, &SaveProfile::keepWeeks,
    &SaveProfile::maxTotalMB};

// The values of one tab that both profiles have.
struct ProfileIds {
  uint32_t format, digits, compression, directory, compressed;
  uint32_t history[kHistoryValueCount];  // keep hours, days, weeks; max total MB
};

constexpr ProfileIds kIncrementalIds = {
    kIncrementalFormat, kIncrementalDigits, kIncrementalCompression, kIncrementalDirectory,
    kIncrementalCompressed,
    {kIncrementalKeepHours, kIncrementalKeepDays, kIncrementalKeepWeeks, kIncrementalMaxTotalMB}};
constexpr ProfileIds kBakIds = {
    kBakFormat, kBakDigits, kBakCompression, kBakDirectory, kBakCompressed,
    {kBakKeepHours, kBakKeepDays, kBakKeepWeeks, kBakMaxTotalMB}};

// The texts accepted when OK was pressed, in the validation buffers.
struct AcceptedTexts {
  const char* incrementalDirectory = nullptr;
  const char* bakDirectory = nullptr;
  const char* globalName = nullptr;  // null when no global name is in use
};

// An integer value of the panel; 0 when the host has none for `id`.
int32_t integerValue(HostPanel panel, uint32_t id) {
  const int32_t* value = static_cast<const int32_t*>(hostServices.xpanel->formGet(panel, id));
  return value != nullptr ? *value : 0;
}

// A text value of the panel in UTF-8, kept in `*buffer`; null when the
// host has none for `id`.
const char* textValue(HostPanel panel, uint32_t id, std::string* buffer) {
  return textFromHost(static_cast<const char*>(hostServices.xpanel->formGet(panel, id)), buffer);
}

void setInteger(HostPanel panel, uint32_t id, int32_t value) {
  hostServices.xpanel->formSet(panel, id, &value);
}

void setText(HostPanel panel, uint32_t id, const char* text) {
  std::string converted;
  hostServices.xpanel->formSet(panel, id, const_cast<char*>(textToHost(text, &converted)));
}

// Sets the values both tabs have, but for the hidden one, from `profile`.
void showCommonValues(HostPanel panel, const ProfileIds& ids, const SaveProfile& profile) {
  setInteger(panel, ids.format, profile.nameFormat);
  setInteger(panel, ids.digits, profile.digits);
  setInteger(panel, ids.compression, profile.compressionLevel != 0);
  setText(panel, ids.directory, profile.directory.get());
  for (size_t i = 0; i < kHistoryValueCount; ++i)
    setInteger(panel, ids.history[i], profile.*kHistoryFields[i]);
}

// Sets every value of the panel from the two profiles.
void showProfiles(HostPanel panel) {
  const SaveProfile& incremental = incrementalProfile();
  showCommonValues(panel, kIncrementalIds, incremental);
  setInteger(panel, kIncrementalLimit, incremental.maxFiles != 0);
  setInteger(panel, kIncrementalMaxFiles,
             incremental.maxFiles != 0 ? static_cast<int32_t>(incremental.maxFiles) : 10);
  setInteger(panel, kIncrementalSkipUnchanged, incremental.skipUnchanged != 0);
  setInteger(panel, kIncrementalCompressed, isCompressedFormat(incremental.nameFormat));

  const BakSaveProfile& bak = bakProfile();
  showCommonValues(panel, kBakIds, bak);
  setInteger(panel, kBakMaxFiles, bak.maxFiles != 0 ? static_cast<int32_t>(bak.maxFiles) : 1);
  setInteger(panel, kBakSkipUnchanged, bak.skipUnchanged != 0);
  setInteger(panel, kUseGlobalName, bak.useGlobalName);
  setText(panel, kGlobalName, bak.globalName.get());
  setInteger(panel, kBakCompressed, isCompressedFormat(bak.nameFormat));
}

// Validates the input found after OK. Returns 1 and fills `accepted` when
// all of it may be stored; otherwise the user has been told why, or has
// declined a question. `globalNameConfirmed` tells whether the question on
// a global name was asked already, and is kept up to date.
int acceptInput(HostPanel panel, int* globalNameConfirmed, AcceptedTexts* accepted) {
  std::string buffers[3];
  const char* incrementalText = textValue(panel, kIncrementalDirectory, &buffers[0]);
  const char* bakText = textValue(panel, kBakDirectory, &buffers[1]);
  const char* nameText = textValue(panel, kGlobalName, &buffers[2]);
  int useGlobalName = integerValue(panel, kUseGlobalName) != 0;
  if (!useGlobalName) *globalNameConfirmed = 0;

  accepted->incrementalDirectory = validateDirectory(incrementalText, 0);
  if (accepted->incrementalDirectory == nullptr) return 0;
  accepted->bakDirectory = validateDirectory(bakText, 1);
  if (accepted->bakDirectory == nullptr) return 0;
  accepted->globalName = nullptr;
  if (!useGlobalName) return 1;
  accepted->globalName = validateGlobalName(nameText);
  if (accepted->globalName == nullptr) return 0;
  if (*globalNameConfirmed) return 1;
  *globalNameConfirmed = 1;  // asked once, whatever the answer
  return askPanelQuestion(
      "Using a global BAK file name means that backup files for different LWOs will have the "
      "same name",
      "Proceed?");
}

// Stores the values both tabs have into `profile`.
void storeCommonValues(HostPanel panel, const ProfileIds& ids, const char* directory,
                       SaveProfile& profile) {
  profile.nameFormat = integerValue(panel, ids.format);
  profile.digits = digitsInRange(integerValue(panel, ids.digits));
  profile.compressionLevel = integerValue(panel, ids.compression);
  profile.directory.assign(directory);
  profile.directoryMode = classifyDirectory(directory);
  for (size_t i = 0; i < kHistoryValueCount; ++i)
    profile.*kHistoryFields[i] = historyValueInRange(integerValue(panel, ids.history[i]));
}

// Stores the accepted input into both profiles.
void storeInput(HostPanel panel, const AcceptedTexts& accepted) {
  SaveProfile& incremental = incrementalProfile();
  storeCommonValues(panel, kIncrementalIds, accepted.incrementalDirectory, incremental);
  incremental.maxFiles =
      integerValue(panel, kIncrementalLimit) != 0 ? limitInRange(integerValue(panel, kIncrementalMaxFiles)) : 0;
  incremental.skipUnchanged = integerValue(panel, kIncrementalSkipUnchanged) != 0;

  BakSaveProfile& bak = bakProfile();
  storeCommonValues(panel, kBakIds, accepted.bakDirectory, bak);
  bak.useGlobalName = integerValue(panel, kUseGlobalName);
  bak.maxFiles = limitInRange(integerValue(panel, kBakMaxFiles));
  bak.skipUnchanged = integerValue(panel, kBakSkipUnchanged) != 0;
  if (accepted.globalName != nullptr) bak.globalName.assign(accepted.globalName);
}

// Writes the stored values to the settings file, or tells the artist that
// they last only until the host quits, and why.
void writeSettingsOrReport() {
  if (saveSettings()) return;
  const char* path = settingsFilePath();
  showHostError(path != nullptr ? path : "Settings folder unknown",
                 settingsUnreadable() ? "Settings could not be read and were left as they are, these values last "
                                        "until Modeler quits"
                                      : "Failed to save settings, they last until Modeler quits");
}

}  // namespace

int runOptionsPanel() {
  HostXPanel* xpanel = hostServices.xpanel;
  if (xpanel == nullptr) return 0;
  HostPanel panel = xpanel->create(HOST_PANEL_FORM, kPanelControls);
  if (panel == nullptr) return 0;
  xpanel->describe(panel, kPanelData, nullptr, nullptr);
  xpanel->hint(panel, 0, kPanelHints);
  showProfiles(panel);

  int globalNameConfirmed = bakProfile().useGlobalName != 0;
  int stored = 0;
  while (!stored && xpanel->post(panel)) {
    AcceptedTexts accepted;
    if (!acceptInput(panel, &globalNameConfirmed, &accepted)) continue;  // shown again as left
    storeInput(panel, accepted);
    writeSettingsOrReport();
    stored = 1;
  }
  xpanel->destroy(panel);
  return stored;
}

int32_t onPanelChange(HostPanel panel, uint32_t /*controlId*/, uint32_t valueId,
                      int32_t eventCode) {
  if (eventCode != HOST_PANEL_EVENT_VALUE) return 0;
  for (const ProfileIds* ids : {&kIncrementalIds, &kBakIds}) {
    if (valueId != ids->format) continue;
    setInteger(panel, ids->compressed, isCompressedFormat(integerValue(panel, ids->format)));
    return HOST_PANEL_REDRAW;
  }
  return 0;
}
