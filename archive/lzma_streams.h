// Byte streams in the LZMA SDK's callback style, over the platform layer.
//
// Each stream is a struct whose first member is the interface the encoder
// or the container writer calls; the callbacks get that member's address
// (as a const pointer, the SDK's convention) and reach the rest of the
// struct from it with streamOf.
#ifndef QK_ARCHIVE_LZMA_STREAMS_H_
#define QK_ARCHIVE_LZMA_STREAMS_H_

#include "7zTypes.h"
#include "archive/content_digest.h"
#include "platform/platform.h"

// A sequential output stream that can also move its position, as the 7z
// container needs to fill in its start header last.
typedef struct ISeekOutStream {
  ISeqOutStream s;  // first: the encoder writes through it
  // Moves the position to `*pos` from `origin` and stores the new absolute
  // position in `*pos`. Returns SZ_OK, or SZ_ERROR_WRITE when it cannot.
  SRes (*Seek)(const struct ISeekOutStream* p, Int64* pos, ESzSeek origin);
} ISeekOutStream;

// The stream struct `Stream` whose first member is the interface at `vtable`.
template <typename Stream, typename Interface>
Stream* streamOf(const Interface* vtable) {
  return reinterpret_cast<Stream*>(const_cast<Interface*>(vtable));
}

// Reads an open platform file. Read returns SZ_OK, with `*size` less than
// asked only at end of file, or SZ_ERROR_READ.
typedef struct {
  ISeqInStream s;
  PlatformFile* file;
  DigestState* digest;  // takes in every byte read; null (as Init leaves it) for none
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

// The allocator the LZMA SDK's encoder, decoders and 7z reader are given
// for their blocks: the C heap, with no block for a size of 0.
extern ISzAlloc lzmaHeapAllocator;

#endif  // QK_ARCHIVE_LZMA_STREAMS_H_
