#include "archive/seven_zip_reader.h"

#include <stdlib.h>

#include <vector>

#include "7z.h"
#include "7zCrc.h"
#include "archive/lzma_streams.h"
#include "archive/seven_zip_header_check.h"
#include "archive/seven_zip_stream_decoder.h"

static_assert(SZ_SEEK_SET == static_cast<int>(kPlatformSeekSet) &&
                  SZ_SEEK_CUR == static_cast<int>(kPlatformSeekCurrent) &&
                  SZ_SEEK_END == static_cast<int>(kPlatformSeekEnd),
              "the SDK's seek origins are the platform's");

namespace {

const size_t kLookAheadSize = 1 << 18;
const char kProgressText[] = "Reading backup...";
const UInt64 kMaxDictionary = UInt64(1) << 30;
const UInt64 kMaxInMemorySize = UInt64(256) << 20;  // the most a coder chain that is not streamed may unpack
const UInt32 kDirectoryAttribute = 0x10;
const UInt32 kUnixModeAttribute = 0x8000;  // the high 16 bits hold a POSIX mode
const UInt32 kUnixFileType = 0170000, kUnixRegularFile = 0100000;

// The archive file as the SDK reads it. While `total` is not zero, every
// read advances `progress` by the bytes delivered (up to `total`), and a
// cancel there stops the reading. Keeps why reading stopped.
struct ArchiveInStream {
  ISeekInStream vt;
  PlatformFile* file;
  const IArchiveProgress* progress;
  UInt64 total;
  UInt64 delivered;
  bool readFailed;
  bool cancelled;
};

SRes readArchive(ISeekInStreamPtr p, void* buf, size_t* size) {
  ArchiveInStream* s = streamOf<ArchiveInStream>(p);
  if (!platformRead(s->file, buf, size)) {
    s->readFailed = true;
    return SZ_ERROR_READ;
  }
  if (s->total == 0) return SZ_OK;
  s->delivered += *size;
  UInt64 shown = s->delivered < s->total ? s->delivered : s->total;
  if (!s->progress->Advance(s->progress, shown)) return SZ_OK;
  s->cancelled = true;
  return SZ_ERROR_PROGRESS;
}

SRes seekArchive(ISeekInStreamPtr p, Int64* pos, ESzSeek origin) {
  uint64_t position = 0;
  if (!platformSeek(streamOf<ArchiveInStream>(p)->file, *pos, static_cast<PlatformSeekOrigin>(origin), &position)) {
    streamOf<ArchiveInStream>(p)->readFailed = true;
    return SZ_ERROR_READ;
  }
  *pos = static_cast<Int64>(position);
  return SZ_OK;
}

// An open 7z archive: its file, the SDK's look-ahead buffer over it, and
// its parsed headers.
struct SevenZipArchive {
  ArchiveInStream stream;
  CLookToRead2 look;
  CSzArEx db;
};

// What an SDK result means for the reader, given why `stream` stopped.
BackupReadResult resultOf(SRes res, const ArchiveInStream& stream) {
  if (stream.cancelled) return kBackupReadCancelled;
  if (stream.readFailed || res == SZ_ERROR_MEM) return kBackupReadUnreadable;
  return res == SZ_OK ? kBackupReadOk : kBackupReadDamaged;
}

void closeArchive(SevenZipArchive* a) {
  SzArEx_Free(&a->db, &lzmaHeapAllocator);
  free(a->look.buf);
  platformClose(a->stream.file);
}

// True iff the one entry of `db` is a regular file: no directory, and no
// link or other special file by a POSIX mode in its attributes.
bool isRegularFile(const CSzArEx& db) {
  if (SzArEx_IsDir(&db, 0)) return false;
  if (!SzBitWithVals_Check(&db.Attribs, 0)) return true;
  UInt32 attributes = db.Attribs.Vals[0];
  UInt32 type = (attributes >> 16) & kUnixFileType;
  return (attributes & kDirectoryAttribute) == 0 &&
         ((attributes & kUnixModeAttribute) == 0 || type == 0 || type == kUnixRegularFile);
}

// Reads the headers of the archive open in `a`, their sizes bounded.
BackupReadResult readHeaders(SevenZipArchive* a) {
  BackupReadResult checked = checkSevenZipHeaderSizes(a->stream.file);
  uint64_t start = 0;
  if (checked != kBackupReadOk) return checked;
  if (!platformSeek(a->stream.file, 0, kPlatformSeekSet, &start)) return kBackupReadUnreadable;
  HeaderAllocator temp = makeHeaderAllocator();
  SRes res = a->look.buf == nullptr ? SZ_ERROR_MEM : SzArEx_Open(&a->db, &a->look.vt, &lzmaHeapAllocator, &temp.vt);
  return temp.refused ? kBackupReadDamaged : resultOf(res, a->stream);
}

// Opens `path` into `a` and reads its headers. Returns kBackupReadOk, the
// archive then open for closeArchive, only for an archive of one regular
// file.
BackupReadResult openArchive(const char* path, SevenZipArchive* a) {
  a->stream = ArchiveInStream{{readArchive, seekArchive}, platformOpenRead(path), &kNoArchiveProgress, 0, 0, false, false};
  if (a->stream.file == nullptr) return kBackupReadUnreadable;
  LookToRead2_CreateVTable(&a->look, False);
  a->look.realStream = &a->stream.vt;
  a->look.buf = static_cast<Byte*>(malloc(kLookAheadSize));
  a->look.bufSize = kLookAheadSize;
  LookToRead2_INIT(&a->look);
  SzArEx_Init(&a->db);
  CrcGenerateTable();
  BackupReadResult result = readHeaders(a);
  if (result == kBackupReadOk && (a->db.NumFiles != 1 || !isRegularFile(a->db))) result = kBackupReadDamaged;
  if (result != kBackupReadOk) closeArchive(a);
  return result;
}

// The bytes of all the archive's packed streams, which extraction reads.
UInt64 packedSize(const CSzArEx& db) {
  return db.db.PackPositions != nullptr ? db.db.PackPositions[db.db.NumPackStreams] : 0;
}

// Decodes the one file of the open archive `a` into `out` as the SDK does,
// whole in memory first, when it unpacks to at most kMaxInMemorySize.
BackupReadResult extractInMemory(SevenZipArchive* a, PlatformFile* out, const IArchiveProgress* progress) {
  UInt32 folder = a->db.FileToFolder[0];
  if (folder < a->db.db.NumFolders && SzAr_GetFolderUnpackSize(&a->db.db, folder) > kMaxInMemorySize)
    return kBackupReadUnreadable;
  UInt32 blockIndex = 0xFFFFFFFF;
  Byte* decoded = nullptr;
  size_t decodedSize = 0;
  size_t offset = 0;
  size_t fileSize = 0;
  a->stream.total = packedSize(a->db);
  a->stream.progress = progress;
  progress->Begin(progress, a->stream.total, kProgressText);
  SRes res = SzArEx_Extract(&a->db, &a->look.vt, 0, &blockIndex, &decoded, &decodedSize, &offset, &fileSize,
                            &lzmaHeapAllocator, &lzmaHeapAllocator);
  progress->End(progress);
  BackupReadResult result = resultOf(res, a->stream);
  size_t written = fileSize;
  if (result == kBackupReadOk && !platformWrite(out, decoded + offset, &written)) result = kBackupReadWriteFailed;
  ISzAlloc_Free(&lzmaHeapAllocator, decoded);
  return result;
}

// Decodes the one file of the open archive `a`, whose folder is
// `folder`, into `out` piece by piece.
BackupReadResult extractStreamed(SevenZipArchive* a, const CSzFolder& folder, PlatformFile* out,
                                 const IArchiveProgress* progress) {
  progress->Begin(progress, SzArEx_GetFileSize(&a->db, 0), kProgressText);
  BackupReadResult result = streamSevenZipFile(a->db, folder, &a->look.vt, &a->stream.readFailed, out, progress);
  progress->End(progress);
  return result;
}

}  // namespace

BackupReadResult inspectSevenZipBackup(const char* path, BackupObjectInfo* info) {
  SevenZipArchive a;
  BackupReadResult result = openArchive(path, &a);
  if (result != kBackupReadOk) return result;
  info->size = SzArEx_GetFileSize(&a.db, 0);
  size_t units = SzArEx_GetFileNameUtf16(&a.db, 0, nullptr);  // the terminator included
  std::vector<UInt16> name(units > 0 ? units : 1, 0);
  SzArEx_GetFileNameUtf16(&a.db, 0, name.data());
  info->origin.sevenZipName.assign(name.begin(), name.begin() + static_cast<ptrdiff_t>(units > 0 ? units - 1 : 0));
  if (SzBitWithVals_Check(&a.db.MTime, 0))
    info->lastWriteTime = (static_cast<uint64_t>(a.db.MTime.Vals[0].High) << 32) | a.db.MTime.Vals[0].Low;
  closeArchive(&a);
  return kBackupReadOk;
}

BackupReadResult extractSevenZipBackup(const char* path, PlatformFile* out, const IArchiveProgress* progress) {
  SevenZipArchive a;
  BackupReadResult result = openArchive(path, &a);
  if (result != kBackupReadOk) return result;
  CSzFolder folder;
  bool hasFolder = readFileFolder(a.db, &folder);
  if (hasFolder && sevenZipFolderDictionary(a.db.db, folder) > kMaxDictionary)
    result = kBackupReadUnreadable;
  else if (hasFolder && isStreamableSevenZip(a.db, folder))
    result = extractStreamed(&a, folder, out, progress);
  else
    result = extractInMemory(&a, out, progress);
  closeArchive(&a);
  return result;
}
