// minizip's file operations routed through the platform layer, so the zip
// writer's files are opened, written and closed like every other file of
// the plug-in.
#ifndef QK_ARCHIVE_ZIP_PLATFORM_IO_H_
#define QK_ARCHIVE_ZIP_PLATFORM_IO_H_

#include <minizip/ioapi.h>

// Fills `io` with the platform's operations. Opening with the create mode
// creates or truncates the file; closing first flushes what was written to
// stable storage, and reports failure when that or any write failed.
void fillPlatformFileFuncs(zlib_filefunc64_def* io);

#endif  // QK_ARCHIVE_ZIP_PLATFORM_IO_H_
