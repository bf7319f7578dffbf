// The "Open Backup" panel: one choice among an object's backups.
#ifndef QK_OPEN_OPEN_PANEL_H_
#define QK_OPEN_OPEN_PANEL_H_

#include <stdint.h>

#include <string>
#include <vector>

// The panel's one control and value: the chosen entry's position.
constexpr uint32_t kOpenBackupChoice = 0x8101;

// Shows the panel titled `title` ("Open Backup", or with what could not be
// listed) through the host's "LWXPanel" with one pop-up choice of `labels`
// (not empty), the first chosen. Returns the position the user confirmed
// with OK; -1 when the panel was cancelled or the host has no panel to show.
int32_t chooseBackupOnPanel(const char* title, const std::vector<std::string>& labels);

#endif  // QK_OPEN_OPEN_PANEL_H_
