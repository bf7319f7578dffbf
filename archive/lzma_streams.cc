#include "archive/lzma_streams.h"

#include <stdlib.h>

static_assert(int{SZ_SEEK_SET} == int{kPlatformSeekSet} &&
                  int{SZ_SEEK_CUR} == int{kPlatformSeekCurrent} &&
                  int{SZ_SEEK_END} == int{kPlatformSeekEnd},
              "the LZMA SDK's seek origins are the platform's");

namespace {

void* heapAlloc(ISzAllocPtr /*p*/, size_t size) { return size == 0 ? nullptr : malloc(size); }
void heapFree(ISzAllocPtr /*p*/, void* address) { free(address); }

SRes fileRead(ISeqInStreamPtr p, void* buf, size_t* size) {
  FileInStream* stream = streamOf<FileInStream>(p);
  return digestingRead(stream->file, buf, size, stream->digest) ? SZ_OK : SZ_ERROR_READ;
}

size_t fileWrite(ISeqOutStreamPtr p, const void* buf, size_t size) {
  FileOutStream* stream = streamOf<FileOutStream>(p);
  platformWrite(stream->file, buf, &size);
  return size;
}

SRes fileSeek(const ISeekOutStream* p, Int64* pos, ESzSeek origin) {
  FileOutStream* stream = streamOf<FileOutStream>(p);
  uint64_t position = 0;
  PlatformSeekOrigin from = static_cast<PlatformSeekOrigin>(origin);
  if (!platformSeek(stream->file, *pos, from, &position)) return SZ_ERROR_WRITE;
  *pos = static_cast<Int64>(position);
  return SZ_OK;
}

}  // namespace

ISzAlloc lzmaHeapAllocator = {heapAlloc, heapFree};

void FileInStream_Init(FileInStream* p, PlatformFile* file) {
  p->s.Read = fileRead;
  p->file = file;
  p->digest = nullptr;
}

void FileOutStream_Init(FileOutStream* p, PlatformFile* file) {
  p->s.s.Write = fileWrite;
  p->s.Seek = fileSeek;
  p->file = file;
}
