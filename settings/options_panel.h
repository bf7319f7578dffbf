// The options panel "Incremental Save Options", editing both profiles.
#ifndef QK_SETTINGS_OPTIONS_PANEL_H_
#define QK_SETTINGS_OPTIONS_PANEL_H_

// Runs the panel to its end. Returns 1 when values were stored, 0 when the
// user cancelled or the host made no panel.
int runOptionsPanel();

#endif  // QK_SETTINGS_OPTIONS_PANEL_H_
