// Content digests: the length and SHA-256 of a file's bytes, taken as the
// bytes stream past, so that two files can be told apart or found equal
// without holding either in memory.
//
// A backup writer feeds every byte it reads from the object into a
// DigestState; afterwards the object file as it then stands can be checked
// against the finished digest with one read at most. A CRC-32 alone would
// not do: a false match deletes a backup.
#ifndef QK_ARCHIVE_CONTENT_DIGEST_H_
#define QK_ARCHIVE_CONTENT_DIGEST_H_

#include <stddef.h>
#include <stdint.h>

#include "Sha256.h"
#include "platform/platform.h"

// The length and SHA-256 of a run of bytes.
struct ContentDigest {
  uint64_t length;
  unsigned char sha256[SHA256_DIGEST_SIZE];
};

// A digest being taken; the LZMA SDK's SHA-256 and a byte count.
struct DigestState {
  CSha256 sha;
  uint64_t length;
};

// Starts an empty digest in `state`.
void digestStart(DigestState* state);

// Adds `size` bytes at `bytes` to the digest.
void digestAdd(DigestState* state, const void* bytes, size_t size);

// Finishes the digest of everything added to `state` and stores it in
// `*digest`; `state` must be started again before further use.
void digestFinish(DigestState* state, ContentDigest* digest);

// platformRead of up to `*size` bytes that also adds the bytes read (on a
// read error, those read before it) to `state`, unless `state` is null.
// Returns platformRead's result.
int digestingRead(PlatformFile* file, void* buffer, size_t* size, DigestState* state);

// A tap for platformCopyInto that adds every byte the copy reads to `state`.
PlatformReadTap digestTap(DigestState* state);

// Returns 1 iff the file at `path` holds exactly the bytes `expected` was
// taken of: its length must match before its bytes are read (one read, in
// fixed-size pieces). Returns 0 when they differ or when the file cannot
// be opened or read.
int fileHasContent(const char* path, const ContentDigest& expected);

// Digests the whole file at `path` into `*digest`. Returns 1 on success,
// 0 when the file cannot be opened or read.
int digestFile(const char* path, ContentDigest* digest);

#endif  // QK_ARCHIVE_CONTENT_DIGEST_H_
