#include "archive/content_digest.h"

#include <stdlib.h>
#include <string.h>

namespace {

const size_t kPieceSize = 65536;

// Digests the rest of `file`, one piece of `buffer` at a time. Returns 1
// when it was read to its end.
int digestRest(PlatformFile* file, unsigned char* buffer, ContentDigest* digest) {
  DigestState state;
  digestStart(&state);
  for (;;) {
    size_t n = kPieceSize;
    if (!digestingRead(file, buffer, &n, &state)) return 0;
    if (n < kPieceSize) break;  // a short read is the end of the file
  }
  digestFinish(&state, digest);
  return 1;
}

// Digests the file at `path` into `*digest` when its length is `wanted`
// (any length when `wanted` is null). Returns 1 when it was read whole.
int digestFileOfLength(const char* path, const uint64_t* wanted, ContentDigest* digest) {
  PlatformFile* file = platformOpenRead(path);
  if (file == nullptr) return 0;
  uint64_t length = 0;
  int read = 0;
  if (platformFileLength(file, &length) && (wanted == nullptr || length == *wanted)) {
    unsigned char* buffer = static_cast<unsigned char*>(malloc(kPieceSize));
    read = buffer != nullptr && digestRest(file, buffer, digest);
    free(buffer);
  }
  platformClose(file);
  return read;
}

// Returns true iff both digests have the same length and SHA-256.
bool sameContent(const ContentDigest& a, const ContentDigest& b) {
  return a.length == b.length && memcmp(a.sha256, b.sha256, sizeof a.sha256) == 0;
}

}  // namespace

void digestStart(DigestState* state) {
  // Picks the fastest SHA-256 code this processor runs, once.
  [[maybe_unused]] static const bool prepared = (Sha256Prepare(), true);
  Sha256_Init(&state->sha);
  state->length = 0;
}

void digestAdd(DigestState* state, const void* bytes, size_t size) {
  if (size == 0) return;
  Sha256_Update(&state->sha, static_cast<const Byte*>(bytes), size);
  state->length += size;
}

void digestFinish(DigestState* state, ContentDigest* digest) {
  Sha256_Final(&state->sha, digest->sha256);
  digest->length = state->length;
}

int digestingRead(PlatformFile* file, void* buffer, size_t* size, DigestState* state) {
  int read = platformRead(file, buffer, size);
  if (state != nullptr) digestAdd(state, buffer, *size);
  return read;
}

PlatformReadTap digestTap(DigestState* state) {
  auto see = [](void* context, const void* bytes, size_t size) {
    digestAdd(static_cast<DigestState*>(context), bytes, size);
  };
  return {see, state};
}

int fileHasContent(const char* path, const ContentDigest& expected) {
  ContentDigest found;
  return digestFileOfLength(path, &expected.length, &found) && sameContent(found, expected);
}

int digestFile(const char* path, ContentDigest* digest) { return digestFileOfLength(path, nullptr, digest); }
