// The settings file qk_revkeeper.cfg: both save profiles, kept from one run
// of the host to the next.
//
// The file lives in the host's settings folder. It is read once, on the
// first activation after the plug-in is loaded, over the reset defaults,
// and rewritten completely each time the options panel is confirmed.
// Nothing here shows a message: a missing or damaged file leaves the
// defaults in force, and a file that cannot be written leaves the new
// values in memory until the plug-in is unloaded. The binary layout is
// described in settings_file.cc, where it is read and written.
#ifndef QK_SETTINGS_SETTINGS_FILE_H_
#define QK_SETTINGS_SETTINGS_FILE_H_

struct PlatformFile;

// Returns the settings file's path, in a 260-byte static buffer that the
// next call overwrites: the host's "Settings" folder (or, when the host
// names none or an empty one, its "Content" folder), a '/' unless the
// folder already ends in '/' or '\\', and "qk_revkeeper.cfg". A relative
// "Settings" folder (one that starts with neither a separator nor a drive
// letter and colon) lies below "Content", joined by a '/', when the host
// names a content folder. Returns null when the host names neither folder
// or the folder has over 240 characters.
const char* settingsFilePath();

// Reads the settings file over both profiles. Returns 1 on success, 0 when
// there is no path, the file cannot be opened or readSettings refuses it.
int loadSettings();

// Writes both profiles to the settings file, readable and writable by its
// owner only. The new file is written and flushed as a staged file in the
// same folder (platform/staged_file.h), and replaces the old one only when
// every write succeeded; staging files of killed writers are removed first.
// Returns 1 on success; on a failure before the replacement returns 0,
// removes the new file and leaves the old file as it was.
int saveSettings();

// Reads `file` from its start into both profiles. Returns 1 on success.
// A wrong header leaves the profiles exactly as they were. A failure after
// the header stops at once: both profiles keep their reset defaults and
// whatever the chunks read so far set, and both directory modes stay 1.
// Either way, digits and limits read are brought into range
// (keepValuesInRange).
int readSettings(PlatformFile* file);

// Writes both profiles into the empty `file`. Returns 1 iff every write
// succeeded.
int writeSettings(PlatformFile* file);

#endif  // QK_SETTINGS_SETTINGS_FILE_H_
