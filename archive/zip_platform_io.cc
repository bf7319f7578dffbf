#include "archive/zip_platform_io.h"

#include <string.h>

#include "platform/platform.h"

static_assert(ZLIB_FILEFUNC_SEEK_SET == kPlatformSeekSet &&
                  ZLIB_FILEFUNC_SEEK_CUR == kPlatformSeekCurrent &&
                  ZLIB_FILEFUNC_SEEK_END == kPlatformSeekEnd,
              "minizip's seek origins are the platform's");

namespace {

// Bytes read ahead: minizip reads an archive's headers a field at a time,
// seeking between them, and each read would otherwise be a call into the
// system.
constexpr size_t kReadAhead = 4096;

// One open file, with whether any operation on it has failed, minizip's
// position in it, and the bytes read ahead: ahead[0, end) were read from
// `aheadAt`, and minizip stands at ahead[start]. While start < end the
// file's own position is aheadAt + end; otherwise it is `position`.
struct ZipStream {
  PlatformFile* file;
  int failed;
  uint64_t position;
  uint64_t aheadAt;
  size_t start, end;
  unsigned char ahead[kReadAhead];
};

ZipStream* streamOf(voidpf stream) { return static_cast<ZipStream*>(stream); }

voidpf openFile(voidpf /*opaque*/, const void* filename, int /*mode*/) {
  PlatformFile* file = static_cast<PlatformFile*>(const_cast<void*>(filename));
  if (file == nullptr) return nullptr;
  uint64_t position = 0;
  if (!platformSeek(file, 0, kPlatformSeekCurrent, &position)) return nullptr;
  return new ZipStream{file, 0, position, 0, 0, 0, {}};
}

// Reads through the read-ahead buffer; a read of a whole buffer or more,
// once the buffer is used up, goes straight to the file.
uLong readFile(voidpf /*opaque*/, voidpf stream, void* buf, uLong size) {
  ZipStream* s = streamOf(stream);
  unsigned char* out = static_cast<unsigned char*>(buf);
  size_t wanted = size, done = 0;
  while (done < wanted) {
    if (s->start == s->end) {
      size_t got = wanted - done >= kReadAhead ? wanted - done : kReadAhead;
      unsigned char* into = got == kReadAhead ? s->ahead : out + done;
      if (!platformRead(s->file, into, &got)) s->failed = 1;
      if (into != s->ahead) {
        s->position += got;
        return static_cast<uLong>(done + got);
      }
      s->aheadAt = s->position;
      s->start = 0;
      s->end = got;
      if (got == 0) break;
    }
    size_t n = s->end - s->start < wanted - done ? s->end - s->start : wanted - done;
    memcpy(out + done, s->ahead + s->start, n);
    s->start += n;
    s->position += n;
    done += n;
  }
  return static_cast<uLong>(done);
}

// Forgets the bytes read ahead, moving the file back to minizip's
// position. Returns false when the move fails.
bool dropReadAhead(ZipStream* s) {
  bool unread = s->start != s->end;
  s->start = s->end = 0;
  return !unread || platformSeek(s->file, static_cast<int64_t>(s->position), kPlatformSeekSet, nullptr);
}

// A failed write is kept for closeFile to report, and minizip is told that
// every byte went: minizip leaks the entry it is opening when a write of
// the entry's local header fails, and the archive is discarded anyway once
// closing it fails.
uLong writeFile(voidpf /*opaque*/, voidpf stream, const void* buf, uLong size) {
  ZipStream* s = streamOf(stream);
  size_t done = size;
  if (!dropReadAhead(s) || !platformWrite(s->file, buf, &done)) s->failed = 1;
  s->position += done;
  return size;
}

ZPOS64_T tellFile(voidpf /*opaque*/, voidpf stream) { return streamOf(stream)->position; }

// A seek within the bytes read ahead moves in the buffer alone.
long seekFile(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
  ZipStream* s = streamOf(stream);
  uint64_t target = origin == ZLIB_FILEFUNC_SEEK_CUR ? s->position + offset : offset;
  if (origin != ZLIB_FILEFUNC_SEEK_END && s->end > 0 && target >= s->aheadAt && target <= s->aheadAt + s->end) {
    s->start = static_cast<size_t>(target - s->aheadAt);
    s->position = target;
    return 0;
  }
  s->start = s->end = 0;
  int64_t to = origin == ZLIB_FILEFUNC_SEEK_END ? static_cast<int64_t>(offset) : static_cast<int64_t>(target);
  PlatformSeekOrigin from = origin == ZLIB_FILEFUNC_SEEK_END ? kPlatformSeekEnd : kPlatformSeekSet;
  if (platformSeek(s->file, to, from, &s->position)) return 0;
  s->failed = 1;
  return -1;
}

// Returns 0 when every operation succeeded, -1 otherwise.
int closeFile(voidpf /*opaque*/, voidpf stream) {
  int failed = streamOf(stream)->failed;
  delete streamOf(stream);
  return failed ? -1 : 0;
}

int testError(voidpf /*opaque*/, voidpf stream) { return streamOf(stream)->failed; }

}  // namespace

void fillPlatformFileFuncs(zlib_filefunc64_def* io) {
  io->zopen64_file = openFile;
  io->zread_file = readFile;
  io->zwrite_file = writeFile;
  io->ztell64_file = tellFile;
  io->zseek64_file = seekFile;
  io->zclose_file = closeFile;
  io->zerror_file = testError;
  io->opaque = nullptr;
}
