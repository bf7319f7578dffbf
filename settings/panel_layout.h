// The layout of the options panel "Incremental Save Options": its ids and
// the three tables the host builds it from.
//
// The panel is a form of two tabs, "Incremental" and "BAK", one per save
// profile. The control list names the visible controls, the data
// description every value (including two hidden ones that drive the enable
// rules of the "Compression Level" controls), and the hint list gives the
// choice lists, limits, groups, tabs and enable rules, and registers the
// change notification. Each tab's history group carries a label telling
// the artist that with a keep rule on, "Max Number of Files" keeps at
// least the newest N.
#ifndef QK_SETTINGS_PANEL_LAYOUT_H_
#define QK_SETTINGS_PANEL_LAYOUT_H_

#include <stdint.h>

#include "hostapi/host_interface.h"

// Every control, value, group and tab set of the panel; control and value
// ids coincide.
enum PanelId : uint32_t {
  kPanelTabs = 0x8001,               // the tab set
  kIncrementalTab = 0x8002,          // tab "Incremental": the three groups below and its history group
  kIncrementalFormatGroup = 0x8003,  // format, digits, compression level
  kIncrementalDirectoryGroup = 0x8004,
  kIncrementalLimitGroup = 0x8005,   // limit switch, maximum, skip-unchanged switch
  kIncrementalFormat = 0x8006,       // "Filename Format", a NameFormat
  kIncrementalDigits = 0x8007,       // "Number of Digits", 1..8
  kIncrementalCompression = 0x8008,  // "Compression Level": 0 "Normal", 1 "High"
  kIncrementalDirectory = 0x8009,    // "Incremental Directory"
  kIncrementalLimit = 0x800A,        // "Limit Incremental Files"
  kIncrementalMaxFiles = 0x800B,     // "Max Number of Files", 1 and up
  kIncrementalCompressed = 0x800C,   // hidden: 1 while the format is an archive format
  kBakTab = 0x800D,                  // tab "BAK": the four groups below and its history group
  kBakFormatGroup = 0x800E,
  kBakDirectoryGroup = 0x800F,
  kBakLimitGroup = 0x8010,           // maximum, skip-unchanged switch
  kBakGlobalNameGroup = 0x8011,
  kBakFormat = 0x8012,
  kBakDigits = 0x8013,
  kBakCompression = 0x8014,
  kBakDirectory = 0x8015,            // "BAK Directory"
  kBakMaxFiles = 0x8016,             // "Max Number of Files", 1 and up
  kBakCompressed = 0x8017,           // hidden: 1 while the BAK format is an archive format
  kUseGlobalName = 0x8018,           // "Use Global File Name"
  kGlobalName = 0x8019,              // "Global File Name"
  kIncrementalSkipUnchanged = 0x801A,  // "Skip Unchanged Saves" of the incremental tab
  kBakSkipUnchanged = 0x801B,          // "Skip Unchanged Saves" of the BAK tab
  // Each tab's history by age and size, 0 (off) to kMaxHistoryValue.
  kIncrementalKeepHours = 0x801C,      // "Keep Every Backup For (Hours)"
  kIncrementalKeepDays = 0x801D,       // "Keep One Per Day For (Days)"
  kIncrementalKeepWeeks = 0x801E,      // "Keep One Per Week For (Weeks)"
  kIncrementalMaxTotalMB = 0x801F,     // "Max Total Size (MB)"
  kBakKeepHours = 0x8020,
  kBakKeepDays = 0x8021,
  kBakKeepWeeks = 0x8022,
  kBakMaxTotalMB = 0x8023,
  kIncrementalHistoryGroup = 0x8024,   // the four above of the incremental tab, labelled
  kBakHistoryGroup = 0x8025,           // the four of the BAK tab, labelled
};

// The visible controls, in panel order; ends with {0, null, null}.
extern const HostPanelControl kPanelControls[];

// Every value of the panel, the hidden ones included; ends with {0, null, null}.
extern const HostPanelData kPanelData[];

// The panel-level hint list, in the host's vocabulary (HostHintTag),
// ended by HOST_HINT_END.
extern const uintptr_t kPanelHints[];

#endif  // QK_SETTINGS_PANEL_LAYOUT_H_
