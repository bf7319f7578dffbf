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

voidpf openFile(voidpf /*opaque*/, const void* filename, int mode) {
  const char* path = static_cast<const char*>(filename);
  PlatformFile* file = (mode & ZLIB_FILEFUNC_MODE_CREATE)
                           ? platformCreate(path, kPlatformCreateTruncate)
                           : platformOpenRead(path);
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

// Returns 0 when every write reached stable storage, -1 otherwise.
int closeFile(voidpf /*opaque*/, voidpf stream) {
  ZipStream* zip = streamOf(stream);
  int ok = !zip->failed && platformSyncFile(zip->file);
  ok = platformClose(zip->file) && ok;
  delete zip;
  return ok ? 0 : -1;
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
