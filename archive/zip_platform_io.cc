#include "archive/zip_platform_io.h"

#include "platform/platform.h"

static_assert(ZLIB_FILEFUNC_SEEK_SET == kPlatformSeekSet &&
                  ZLIB_FILEFUNC_SEEK_CUR == kPlatformSeekCurrent &&
                  ZLIB_FILEFUNC_SEEK_END == kPlatformSeekEnd,
              "minizip's seek origins are the platform's");

namespace {

// One open file, with whether any operation on it has failed.
struct ZipStream {
  PlatformFile* file;
  int failed;
};

ZipStream* streamOf(voidpf stream) { return static_cast<ZipStream*>(stream); }

voidpf openFile(voidpf /*opaque*/, const void* filename, int /*mode*/) {
  PlatformFile* file = static_cast<PlatformFile*>(const_cast<void*>(filename));
  if (file == nullptr) return nullptr;
  return new ZipStream{file, 0};
}

uLong readFile(voidpf /*opaque*/, voidpf stream, void* buf, uLong size) {
  size_t done = size;
  if (!platformRead(streamOf(stream)->file, buf, &done)) streamOf(stream)->failed = 1;
  return static_cast<uLong>(done);
}

// A failed write is kept for closeFile to report, and minizip is told that
// every byte went: minizip leaks the entry it is opening when a write of
// the entry's local header fails, and the archive is discarded anyway once
// closing it fails.
uLong writeFile(voidpf /*opaque*/, voidpf stream, const void* buf, uLong size) {
  size_t done = size;
  if (!platformWrite(streamOf(stream)->file, buf, &done)) streamOf(stream)->failed = 1;
  return size;
}

ZPOS64_T tellFile(voidpf /*opaque*/, voidpf stream) {
  uint64_t position = 0;
  if (!platformSeek(streamOf(stream)->file, 0, kPlatformSeekCurrent, &position)) {
    streamOf(stream)->failed = 1;
    return static_cast<ZPOS64_T>(-1);
  }
  return position;
}

long seekFile(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
  PlatformSeekOrigin from = static_cast<PlatformSeekOrigin>(origin);
  if (platformSeek(streamOf(stream)->file, static_cast<int64_t>(offset), from, nullptr)) return 0;
  streamOf(stream)->failed = 1;
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
