#include "archive/seven_zip_header_check.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

#include "archive/lzma_streams.h"

namespace {

const Byte kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
const size_t kStartHeaderSize = 32;
const Byte kEncodedHeader = 0x17;
const Byte kPackInfo = 0x06;
const Byte kSize = 0x09;

// Reads exactly `size` bytes at `offset` of `file` into `buffer`. Returns
// 1 on success, 0 when the file ends before them, -1 when reading fails.
int readAt(PlatformFile* file, uint64_t offset, void* buffer, size_t size) {
  uint64_t position = 0;
  if (!platformSeek(file, static_cast<int64_t>(offset), kPlatformSeekSet, &position)) return -1;
  size_t got = size;
  if (!platformRead(file, buffer, &got)) return -1;
  return got == size ? 1 : 0;
}

// The little-endian 64-bit integer at `bytes`.
uint64_t littleEndian64(const Byte* bytes) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// Reads a 7z NUMBER (a first byte whose leading one bits count the bytes
// that follow) at `*at` of `bytes`, moving `*at` past it. Returns false when
// `bytes` ends first.
bool readNumber(const std::vector<Byte>& bytes, size_t* at, uint64_t* value) {
  if (*at >= bytes.size()) return false;
  Byte first = bytes[(*at)++];
  int extra = 0;
  while (extra < 8 && (first & (0x80 >> extra)) != 0) ++extra;
  if (bytes.size() - *at < static_cast<size_t>(extra)) return false;
  uint64_t low = 0;
  for (int i = 0; i < extra; ++i) low |= static_cast<uint64_t>(bytes[(*at)++]) << (8 * i);
  uint64_t high = extra < 8 ? static_cast<uint64_t>(first & (0xFF >> (extra + 1))) << (8 * extra) : 0;
  *value = low | high;
  return true;
}

// True iff the encoded end header `header` (which starts with its PackInfo,
// as every encoded header does) records packed streams of at most
// kMaxSevenZipHeaderBytes in all. A header too short to say is left to the
// SDK, which refuses it.
bool packedHeaderFits(const std::vector<Byte>& header) {
  size_t at = 1;
  uint64_t position = 0, streams = 0;
  if (header.size() < 2 || header[at++] != kPackInfo || !readNumber(header, &at, &position) ||
      !readNumber(header, &at, &streams) || at >= header.size() || header[at++] != kSize)
    return true;
  uint64_t total = 0;
  for (uint64_t i = 0; i < streams; ++i) {
    uint64_t size = 0;
    if (!readNumber(header, &at, &size)) return true;
    if (size > kMaxSevenZipHeaderBytes - total) return false;
    total += size;
  }
  return true;
}

void* allocHeader(ISzAllocPtr p, size_t size) {
  if (size <= kMaxSevenZipHeaderBytes) return malloc(size);
  streamOf<HeaderAllocator>(p)->refused = true;
  return nullptr;
}

void freeHeader(ISzAllocPtr, void* address) { free(address); }

}  // namespace

BackupReadResult checkSevenZipHeaderSizes(PlatformFile* file) {
  Byte start[kStartHeaderSize];
  int got = readAt(file, 0, start, sizeof start);
  if (got < 0) return kBackupReadUnreadable;
  if (got == 0 || memcmp(start, kSignature, sizeof kSignature) != 0) return kBackupReadDamaged;
  uint64_t offset = littleEndian64(start + 12), size = littleEndian64(start + 20);
  if (size > kMaxSevenZipHeaderBytes) return kBackupReadDamaged;
  if (size == 0 || offset > UINT64_MAX - kStartHeaderSize) return kBackupReadOk;  // the SDK judges these
  Byte type = 0;
  got = readAt(file, kStartHeaderSize + offset, &type, 1);
  if (got <= 0 || type != kEncodedHeader) return got < 0 ? kBackupReadUnreadable : kBackupReadOk;
  std::vector<Byte> header(static_cast<size_t>(size));
  got = readAt(file, kStartHeaderSize + offset, header.data(), header.size());
  if (got < 0) return kBackupReadUnreadable;
  return got == 0 || packedHeaderFits(header) ? kBackupReadOk : kBackupReadDamaged;
}

HeaderAllocator makeHeaderAllocator() { return HeaderAllocator{{allocHeader, freeHeader}, false}; }
