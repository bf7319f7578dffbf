// The options panel's questions, through the host's "Info Messages 2"
// service (its errors go through showHostError).
#ifndef QK_SETTINGS_PANEL_MESSAGES_H_
#define QK_SETTINGS_PANEL_MESSAGES_H_

// Asks the two-line question titled "QK_RevKeeper". Returns 1 when the user
// accepts; 0 when the user declines or the host has no message service.
int askPanelQuestion(const char* firstLine, const char* secondLine);

#endif  // QK_SETTINGS_PANEL_MESSAGES_H_
