// The name under which an archive stores its one file.
#ifndef QK_ARCHIVE_ENTRY_NAME_H_
#define QK_ARCHIVE_ENTRY_NAME_H_

// Returns the part of `path` after its last '/' or '\\' (the whole path
// when it has none), pointing into `path`.
const char* entryNameOf(const char* path);

#endif  // QK_ARCHIVE_ENTRY_NAME_H_
