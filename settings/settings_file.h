// The settings file qk_revkeeper.cfg: both save profiles, persisted.
#ifndef QK_SETTINGS_SETTINGS_FILE_H_
#define QK_SETTINGS_SETTINGS_FILE_H_

// Reads the settings file over both profiles. Returns 1 on success, 0 when
// there is no file or it is damaged.
int loadSettings();

#endif  // QK_SETTINGS_SETTINGS_FILE_H_
