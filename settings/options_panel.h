// The options panel "Incremental Save Options": the configuration command's
// editor of both save profiles.
//
// The panel shows the profiles on two tabs, keeps each tab's "Compression
// Level" enabled only while its format is an archive format, and on OK
// validates both directories and the global BAK name. A refusal shows its
// message and opens the panel again with the input as the user left it;
// accepted input is stored in both profiles and written to the settings
// file. When the file cannot be written, or was there but could not be
// read (it is then never written over), an error names it (or says
// "Settings folder unknown") and the values last until the host quits.
// Cancel changes nothing.
#ifndef QK_SETTINGS_OPTIONS_PANEL_H_
#define QK_SETTINGS_OPTIONS_PANEL_H_

#include <stdint.h>

#include "hostapi/host_interface.h"

// Runs the panel to its end. Returns 1 when the values were stored, 0 when
// the user cancelled or the host made no panel (nothing is shown then).
int runOptionsPanel();

// The panel's change notification: a new "Filename Format" on either tab
// sets that tab's hidden "compressed" value (1 for formats 4..9, else 0)
// and returns HOST_PANEL_REDRAW; any other event returns 0.
int32_t onPanelChange(HostPanel panel, uint32_t controlId, uint32_t valueId, int32_t eventCode);

#endif  // QK_SETTINGS_OPTIONS_PANEL_H_
