// Byte streams in the LZMA SDK's callback style, over the platform layer.
//
// Each stream is a struct whose first member is the interface the encoder
// or the container writer calls; the callbacks get that member's address
// and reach the rest of the struct from it.
#ifndef QK_ARCHIVE_LZMA_STREAMS_H_
#define QK_ARCHIVE_LZMA_STREAMS_H_

#include "Types.h"
#include "platform/platform.h"

// A sequential output stream that can also move its position, as the 7z
// container needs to fill in its start header last.
typedef struct {
  ISeqOutStream s;  // first: the encoder writes through it
  // Moves the position to `*pos` from `origin` and stores the new absolute
  // position in `*pos`. Returns SZ_OK, or SZ_ERROR_WRITE when it cannot.
  SRes (*Seek)(void* p, Int64* pos, ESzSeek origin);
} ISeekOutStream;

// Reads an open platform file. Read returns SZ_OK, with `*size` less than
// asked only at end of file, or SZ_ERROR_READ.
typedef struct {
  ISeqInStream s;
  PlatformFile* file;
} FileInStream;

// Writes and seeks an open platform file.
typedef struct {
  ISeekOutStream s;
  PlatformFile* file;
} FileOutStream;

// Prepare the streams' callbacks over `file`, which the caller keeps and
// closes.
void FileInStream_Init(FileInStream* p, PlatformFile* file);
void FileOutStream_Init(FileOutStream* p, PlatformFile* file);

#endif  // QK_ARCHIVE_LZMA_STREAMS_H_
