// The settings file qk_revkeeper.cfg: both save profiles, kept from one run
// of the host to the next.
//
// The file lives in the host's settings folder. It is read on the first
// activation after the plug-in is loaded, over the reset defaults, and
// rewritten completely each time the options panel is confirmed. A missing
// or damaged file leaves the defaults (and whatever it gave before the
// damage) in force. A file that is there but cannot be read (held by
// another program, access denied, a read error) is neither: the defaults
// serve until a later load reads it, nothing may be pruned by them, and
// the file is never written over. Nothing here shows a message; the
// callers tell the artist. The binary layout is described in
// settings_file.cc, where it is read and written.
#ifndef QK_SETTINGS_SETTINGS_FILE_H_
#define QK_SETTINGS_SETTINGS_FILE_H_

#include "platform/platform.h"

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
// there is no path, no file, or readSettings refuses it. When the file is
// there but cannot be opened or read, also returns 0, with both profiles
// reset to their defaults, and settingsUnreadable() answers 1 until a later
// load.
int loadSettings();

// Returns 1 while the last load found the settings file there but could not
// read it: the profiles hold the defaults, or values the options panel
// stored since, not the artist's settings, so no backup may be pruned by
// them. Returns 0 when the last load read the file, found none or found it
// damaged, and before any load.
int settingsUnreadable();

// Returns 1 when the next activation should load the settings file again:
// the last load could not read it, and the panel has stored no values
// since (once it has, they stand for the rest of the session).
int settingsReloadDue();

// Writes both profiles to the settings file, readable and writable by its
// owner only. While settingsUnreadable(), writes nothing, returns 0 and
// ends the reloads: the values in the profiles stand for the session. The new file is written and flushed as a staged file in the
// same folder (platform/staged_file.h), and replaces the old one only when
// every write succeeded; staging files of killed writers are removed first.
// Returns 1 on success; on a failure before the replacement returns 0,
// removes the new file and leaves the old file as it was.
int saveSettings();

// Writes both profiles into the empty `file`. Returns 1 iff every write
// succeeded.
int writeSettings(PlatformFile* file);

#endif  // QK_SETTINGS_SETTINGS_FILE_H_
