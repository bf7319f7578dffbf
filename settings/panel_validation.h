// Validation of the texts typed into the options panel: the two backup
// directories and the global BAK file name.
//
// Accepted texts come back in three static buffers of 260 bytes, one per
// kind (incremental directory, BAK directory, global name), each holding at
// most 259 characters; longer input is cut without notice. A buffer keeps
// its text until the next validation of the same kind. Every refusal has
// shown the user its message, or the user has declined a question.
#ifndef QK_SETTINGS_PANEL_VALIDATION_H_
#define QK_SETTINGS_PANEL_VALIDATION_H_

// Validates a backup directory: leading and trailing spaces and trailing
// separators go. Null or blank text is accepted as "" (the object's own
// folder); text of separators only is refused. An absolute folder (see
// classifyDirectory) must be confirmed by the user and must exist as a
// directory. Returns the text in this kind's buffer, or null when refused.
const char* validateDirectory(const char* text, int isBak);

// Validates the global BAK file name: leading and trailing spaces go; a
// null, blank or illegal name is refused. Returns the name in its buffer,
// or null when refused.
const char* validateGlobalName(const char* text);

// Returns 1 when `text` holds one of the 22 characters a global name may
// not hold (: \ / * ? ~ < > { } # & % $ ! ' " @ + ` | =), else 0; 0 for null.
int hasIllegalNameChars(const char* text);

#endif  // QK_SETTINGS_PANEL_VALIDATION_H_
