#include "settings/panel_layout.h"

#include "backups/save_profile.h"
#include "settings/options_panel.h"

namespace {

// The "Filename Format" choices: a choice's position is its NameFormat.
const char* const kIncrementalFormats[] = {
    "Name_001.lwo", "Name.001",    "Name.lwo.001", "Name.001.lwo",    "Name_001.zip",
    "Name.001.zip", "Name.lwo.001.zip", "Name_001.7z", "Name.001.7z", "Name.lwo.001.7z",
    nullptr};
const char* const kBakFormats[] = {
    "Name_bak001.lwo", "Name.bak001",     "Name.lwo.bak001",     "Name.bak001.lwo",
    "Name_bak001.zip", "Name.bak001.zip", "Name.lwo.bak001.zip", "Name_bak001.7z",
    "Name.bak001.7z",  "Name.lwo.bak001.7z", nullptr};
const char* const kCompressionLevels[] = {"Normal", "High", nullptr};

// A text, a choice list or a function, as one hint word.
uintptr_t word(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }
uintptr_t word(HostPanelChangeFunc function) { return reinterpret_cast<uintptr_t>(function); }

// The two ends of HOST_HINT_HARD_LIMITS: a clamped end turns a value beyond
// it into the limit; an open end leaves values beyond it alone.
constexpr uintptr_t kClamped = 1;
constexpr uintptr_t kOpen = 0;

// The label of each tab's history group: what a keep rule does to the count.
const char kHistoryLabel[] =
    "History by age and size: with a keep rule on, Max Number of Files keeps at least the newest N";

}  // namespace

const HostPanelControl kPanelControls[] = {
    {kIncrementalFormat, "Filename Format", "iPopChoice"},
    {kIncrementalDigits, "Number of Digits", "integer"},
    {kIncrementalCompression, "Compression Level", "iChoice"},
    {kIncrementalDirectory, "Incremental Directory", "string"},
    {kIncrementalLimit, "Limit Incremental Files", "iBoolean"},
    {kIncrementalMaxFiles, "Max Number of Files", "integer"},
    {kIncrementalSkipUnchanged, "Skip Unchanged Saves", "iBoolean"},
    {kIncrementalKeepHours, "Keep Every Backup For (Hours)", "integer"},
    {kIncrementalKeepDays, "Keep One Per Day For (Days)", "integer"},
    {kIncrementalKeepWeeks, "Keep One Per Week For (Weeks)", "integer"},
    {kIncrementalMaxTotalMB, "Max Total Size (MB)", "integer"},
    {kBakFormat, "Filename Format", "iPopChoice"},
    {kBakDigits, "Number of Digits", "integer"},
    {kBakCompression, "Compression Level", "iChoice"},
    {kBakDirectory, "BAK Directory", "string"},
    {kBakMaxFiles, "Max Number of Files", "integer"},
    {kBakSkipUnchanged, "Skip Unchanged Saves", "iBoolean"},
    {kBakKeepHours, "Keep Every Backup For (Hours)", "integer"},
    {kBakKeepDays, "Keep One Per Day For (Days)", "integer"},
    {kBakKeepWeeks, "Keep One Per Week For (Weeks)", "integer"},
    {kBakMaxTotalMB, "Max Total Size (MB)", "integer"},
    {kUseGlobalName, "Use Global File Name", "iBoolean"},
    {kGlobalName, "Global File Name", "string"},
    {0, nullptr, nullptr},
};

const HostPanelData kPanelData[] = {
    {kIncrementalFormat, "Filename Format", "integer"},
    {kIncrementalDigits, "Number of Digits", "integer"},
    {kIncrementalCompression, "Compression Level", "integer"},
    {kIncrementalDirectory, "Incremental Directory", "string"},
    {kIncrementalLimit, "Limit Incremental Files", "integer"},
    {kIncrementalMaxFiles, "Max Number of Files", "integer"},
    {kIncrementalSkipUnchanged, "Skip Unchanged Saves", "integer"},
    {kIncrementalKeepHours, "Keep Every Backup For (Hours)", "integer"},
    {kIncrementalKeepDays, "Keep One Per Day For (Days)", "integer"},
    {kIncrementalKeepWeeks, "Keep One Per Week For (Weeks)", "integer"},
    {kIncrementalMaxTotalMB, "Max Total Size (MB)", "integer"},
    {kIncrementalCompressed, "--hidden--", "integer"},
    {kBakFormat, "Filename Format", "integer"},
    {kBakDigits, "Number of Digits", "integer"},
    {kBakCompression, "Compression Level", "integer"},
    {kBakDirectory, "BAK Directory", "string"},
    {kBakMaxFiles, "Max Number of Files", "integer"},
    {kBakSkipUnchanged, "Skip Unchanged Saves", "integer"},
    {kBakKeepHours, "Keep Every Backup For (Hours)", "integer"},
    {kBakKeepDays, "Keep One Per Day For (Days)", "integer"},
    {kBakKeepWeeks, "Keep One Per Week For (Weeks)", "integer"},
    {kBakMaxTotalMB, "Max Total Size (MB)", "integer"},
    {kUseGlobalName, "Use Global File Name", "integer"},
    {kGlobalName, "Global File Name", "string"},
    {kBakCompressed, "--hidden--", "integer"},
    {0, nullptr, nullptr},
};

// The limits of a history value: 0 to kMaxHistoryValue, both clamped.
#define HISTORY_VALUE_HINTS(id) \
  HOST_HINT_MIN, id, 0, HOST_HINT_MAX, id, kMaxHistoryValue, HOST_HINT_HARD_LIMITS, id, kClamped, kClamped

const uintptr_t kPanelHints[] = {
    HOST_HINT_LABEL, 0, word("Incremental Save Options"), 0,
    HOST_HINT_CHANGE_NOTIFY, word(onPanelChange),

    HOST_HINT_STRING_LIST, kIncrementalFormat, word(kIncrementalFormats), 0,
    HOST_HINT_STRING_LIST, kBakFormat, word(kBakFormats), 0,
    HOST_HINT_STRING_LIST, kIncrementalCompression, word(kCompressionLevels), 0,
    HOST_HINT_STRING_LIST, kBakCompression, word(kCompressionLevels), 0,

    HOST_HINT_MIN, kIncrementalDigits, 1,
    HOST_HINT_MAX, kIncrementalDigits, 8,
    HOST_HINT_HARD_LIMITS, kIncrementalDigits, kClamped, kClamped,
    HOST_HINT_MIN, kBakDigits, 1,
    HOST_HINT_MAX, kBakDigits, 8,
    HOST_HINT_HARD_LIMITS, kBakDigits, kClamped, kClamped,
    HOST_HINT_MIN, kIncrementalMaxFiles, 1,
    HOST_HINT_HARD_LIMITS, kIncrementalMaxFiles, kClamped, kOpen,
    HOST_HINT_MIN, kBakMaxFiles, 1,
    HOST_HINT_HARD_LIMITS, kBakMaxFiles, kClamped, kOpen,
    HISTORY_VALUE_HINTS(kIncrementalKeepHours),
    HISTORY_VALUE_HINTS(kIncrementalKeepDays),
    HISTORY_VALUE_HINTS(kIncrementalKeepWeeks),
    HISTORY_VALUE_HINTS(kIncrementalMaxTotalMB),
    HISTORY_VALUE_HINTS(kBakKeepHours),
    HISTORY_VALUE_HINTS(kBakKeepDays),
    HISTORY_VALUE_HINTS(kBakKeepWeeks),
    HISTORY_VALUE_HINTS(kBakMaxTotalMB),

    HOST_HINT_GROUP, kIncrementalFormatGroup,
        kIncrementalFormat, kIncrementalDigits, kIncrementalCompression, 0,
    HOST_HINT_GROUP, kIncrementalDirectoryGroup, kIncrementalDirectory, 0,
    HOST_HINT_GROUP, kIncrementalLimitGroup,
        kIncrementalLimit, kIncrementalMaxFiles, kIncrementalSkipUnchanged, 0,
    HOST_HINT_GROUP, kBakFormatGroup, kBakFormat, kBakDigits, kBakCompression, 0,
    HOST_HINT_GROUP, kBakDirectoryGroup, kBakDirectory, 0,
    HOST_HINT_GROUP, kBakLimitGroup, kBakMaxFiles, kBakSkipUnchanged, 0,
    HOST_HINT_GROUP, kBakGlobalNameGroup, kUseGlobalName, kGlobalName, 0,
    HOST_HINT_GROUP, kIncrementalHistoryGroup,
        kIncrementalKeepHours, kIncrementalKeepDays, kIncrementalKeepWeeks, kIncrementalMaxTotalMB, 0,
    HOST_HINT_GROUP, kBakHistoryGroup, kBakKeepHours, kBakKeepDays, kBakKeepWeeks, kBakMaxTotalMB, 0,
    HOST_HINT_GROUP, kIncrementalTab,
        kIncrementalFormatGroup, kIncrementalDirectoryGroup, kIncrementalLimitGroup,
        kIncrementalHistoryGroup, 0,
    HOST_HINT_GROUP, kBakTab,
        kBakFormatGroup, kBakDirectoryGroup, kBakLimitGroup, kBakHistoryGroup, kBakGlobalNameGroup, 0,
    HOST_HINT_LABEL, kIncrementalTab, word("Incremental"), 0,
    HOST_HINT_LABEL, kBakTab, word("BAK"), 0,
    HOST_HINT_LABEL, kIncrementalHistoryGroup, word(kHistoryLabel), 0,
    HOST_HINT_LABEL, kBakHistoryGroup, word(kHistoryLabel), 0,
    HOST_HINT_TABS, kPanelTabs, kIncrementalTab, kBakTab, 0,

    HOST_HINT_ENABLE, kIncrementalCompressed, 0, 0, 0, kIncrementalCompression, 0,
    HOST_HINT_ENABLE, kBakCompressed, 0, 0, 0, kBakCompression, 0,
    HOST_HINT_ENABLE, kIncrementalLimit, 0, 0, 0, kIncrementalMaxFiles, 0,
    HOST_HINT_ENABLE, kUseGlobalName, 0, 0, 0, kGlobalName, 0,
    HOST_HINT_END,
};
#undef HISTORY_VALUE_HINTS
