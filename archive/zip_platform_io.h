// minizip's file operations routed through the platform layer, over a
// file the zip writer opened itself: minizip writes and seeks it, and
// leaves closing it to its owner.
#ifndef QK_ARCHIVE_ZIP_PLATFORM_IO_H_
#define QK_ARCHIVE_ZIP_PLATFORM_IO_H_

#include <minizip/ioapi.h>

// Fills `io` with the platform's operations. The "file name" given to
// minizip's zipOpen2_64 is the open PlatformFile to write. "Closing" it
// leaves it open, and reports failure when any operation on it failed.
// Reads go through a small read-ahead buffer, and seeks within it touch
// no file.
void fillPlatformFileFuncs(zlib_filefunc64_def* io);

#endif  // QK_ARCHIVE_ZIP_PLATFORM_IO_H_
