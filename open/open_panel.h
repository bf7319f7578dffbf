// The "Open Backup" panel: one choice among an object's backups, and what
// to do with it.
#ifndef QK_OPEN_OPEN_PANEL_H_
#define QK_OPEN_OPEN_PANEL_H_

#include <stdint.h>

#include <string>
#include <vector>

// The panel's controls: the chosen entry's position, and the action.
constexpr uint32_t kOpenBackupChoice = 0x8101;
constexpr uint32_t kOpenBackupAction = 0x8102;

// The actions, as the "Action" control numbers them.
enum OpenAction : int32_t {
  kActionOpen,            // load the object the backup holds
  kActionPin,             // rename the backup out of its series, never to be deleted
  kActionUnpin,           // give a pinned backup its old name back
  kActionPinCurrentFile,  // back up the object's file now, pinned
};

// What the user confirmed with OK.
struct OpenPanelChoice {
  int32_t position;  // of the chosen entry among the labels
  OpenAction action;
};

// Shows the panel titled `title` ("Open Backup", or with what could not be
// listed) through the host's "LWXPanel" with a pop-up choice of `labels`
// (not empty) and the "Action" choice, the first of each chosen. Returns
// true with `*choice` set when the user confirmed with OK; false when the
// panel was cancelled or the host has no panel to show.
bool chooseOnOpenPanel(const char* title, const std::vector<std::string>& labels, OpenPanelChoice* choice);

#endif  // QK_OPEN_OPEN_PANEL_H_
