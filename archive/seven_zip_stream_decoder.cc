#include "archive/seven_zip_stream_decoder.h"

#include <stdlib.h>

#include <algorithm>

#include "7zCrc.h"
#include "Lzma2Dec.h"
#include "LzmaDec.h"
#include "archive/lzma_streams.h"

namespace {

const UInt32 kMethodLzma = 0x30101;
const UInt32 kMethodLzma2 = 0x21;
const SizeT kPieceSize = 1 << 20;     // decoded between two steps of the monitor
const size_t kLookSize = 1 << 18;     // packed bytes offered to the decoder at once
const UInt64 kMinLzmaDictionary = 1 << 12;

// Returns the dictionary size that an LZMA or LZMA2 `coder` of `db`
// declares (as the decoder reads it); 0 for any other coder or for
// properties too short to say.
UInt64 coderDictionary(const CSzAr& db, const CSzCoderInfo& coder) {
  const Byte* props = db.CodersData + coder.PropsOffset;
  if (coder.MethodID == kMethodLzma && coder.PropsSize >= 5) {
    UInt64 declared = props[1] | props[2] << 8 | props[3] << 16 | static_cast<UInt64>(props[4]) << 24;
    return std::max<UInt64>(declared, kMinLzmaDictionary);
  }
  if (coder.MethodID != kMethodLzma2 || coder.PropsSize < 1 || props[0] > 40) return 0;
  return props[0] == 40 ? 0xFFFFFFFFu : static_cast<UInt64>(2 | (props[0] & 1)) << (props[0] / 2 + 11);
}

// Either decoder: an LZMA one is the `decoder` inside the LZMA2 state, so
// both share one dictionary window (state.decoder.dic, dicPos, dicBufSize).
struct Decoder {
  CLzma2Dec state;
  bool lzma2;
};

SRes decodeToDic(Decoder* d, SizeT limit, const Byte* src, SizeT* srcLen, ELzmaFinishMode mode,
                 ELzmaStatus* status) {
  return d->lzma2 ? Lzma2Dec_DecodeToDic(&d->state, limit, src, srcLen, mode, status)
                  : LzmaDec_DecodeToDic(&d->state.decoder, limit, src, srcLen, mode, status);
}

// Writes the decoded bytes of the window to `out` and empties it.
bool flushWindow(CLzmaDec* window, PlatformFile* out) {
  size_t size = window->dicPos;
  window->dicPos = 0;
  return size == 0 || platformWrite(out, window->dic, &size);
}

// The packed stream and the file it decodes to, and how far both have got.
struct Progress {
  UInt64 packedLeft;
  UInt64 size;
  UInt64 decoded;
  UInt32 crc;
};

// Runs the decoder to the end of the file. Returns the read result, the
// CRC not yet compared.
BackupReadResult decodeAll(Decoder* d, ILookInStreamPtr in, const bool* readFailed, Progress* p, PlatformFile* out,
                           const IArchiveProgress* progress) {
  CLzmaDec* window = &d->state.decoder;
  for (;;) {
    if (window->dicPos == window->dicBufSize && !flushWindow(window, out)) return kBackupReadWriteFailed;
    SizeT start = window->dicPos;
    SizeT room = static_cast<SizeT>(std::min<UInt64>({window->dicBufSize - start, kPieceSize, p->size - p->decoded}));
    const void* src = nullptr;
    size_t look = static_cast<size_t>(std::min<UInt64>(kLookSize, p->packedLeft));
    if (ILookInStream_Look(in, &src, &look) != SZ_OK) return *readFailed ? kBackupReadUnreadable : kBackupReadDamaged;
    SizeT used = look;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    ELzmaFinishMode mode = p->decoded + room == p->size ? LZMA_FINISH_END : LZMA_FINISH_ANY;
    SRes res = decodeToDic(d, start + room, static_cast<const Byte*>(src), &used, mode, &status);
    SizeT produced = window->dicPos - start;
    p->crc = CrcUpdate(p->crc, window->dic + start, produced);
    p->decoded += produced;
    p->packedLeft -= used;
    if (res != SZ_OK || ILookInStream_Skip(in, used) != SZ_OK) return *readFailed ? kBackupReadUnreadable : kBackupReadDamaged;
    if (progress->Advance(progress, p->decoded)) return kBackupReadCancelled;
    bool finished = status == LZMA_STATUS_FINISHED_WITH_MARK || status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK;
    if (p->decoded == p->size && finished)
      return p->packedLeft != 0 ? kBackupReadDamaged : flushWindow(window, out) ? kBackupReadOk : kBackupReadWriteFailed;
    if (used == 0 && produced == 0) return kBackupReadDamaged;  // the stream ends early or says no more
  }
}

// True iff `crcs` records no CRC at `index` or records `crc` there.
bool crcMatches(const CSzBitUi32s& crcs, UInt32 index, UInt32 crc) {
  return !SzBitWithVals_Check(&crcs, index) || crcs.Vals[index] == crc;
}

}  // namespace

bool readFileFolder(const CSzArEx& db, CSzFolder* folder) {
  UInt32 index = db.NumFiles != 0 ? db.FileToFolder[0] : 0;
  if (db.NumFiles == 0 || index >= db.db.NumFolders) return false;
  const size_t* offsets = db.db.FoCodersOffsets;
  CSzData data = {db.db.CodersData + offsets[index], offsets[index + 1] - offsets[index]};
  return SzGetNextFolderItem(folder, &data) == SZ_OK;
}

UInt64 sevenZipFolderDictionary(const CSzAr& db, const CSzFolder& folder) {
  UInt64 largest = 0;
  for (UInt32 i = 0; i < folder.NumCoders; ++i) largest = std::max(largest, coderDictionary(db, folder.Coders[i]));
  return largest;
}

bool isStreamableSevenZip(const CSzArEx& db, const CSzFolder& folder) {
  UInt32 method = folder.Coders[0].MethodID;
  return db.NumFiles == 1 && db.db.NumFolders == 1 && folder.NumCoders == 1 && folder.NumPackStreams == 1 &&
         (method == kMethodLzma || method == kMethodLzma2) && folder.Coders[0].NumStreams == 1 &&
         SzArEx_GetFileSize(&db, 0) == SzAr_GetFolderUnpackSize(&db.db, 0);
}

BackupReadResult streamSevenZipFile(const CSzArEx& db, const CSzFolder& folder, ILookInStreamPtr in,
                                    const bool* readFailed, PlatformFile* out, const IArchiveProgress* progress) {
  const CSzCoderInfo& coder = folder.Coders[0];
  const Byte* props = db.db.CodersData + coder.PropsOffset;
  UInt32 start = db.db.FoStartPackStreamIndex[0];
  Progress p = {db.db.PackPositions[start + 1] - db.db.PackPositions[start], SzArEx_GetFileSize(&db, 0), 0,
                CRC_INIT_VAL};
  Decoder d;
  d.lzma2 = coder.MethodID == kMethodLzma2;
  Lzma2Dec_CONSTRUCT(&d.state)
  SRes res = d.lzma2 ? Lzma2Dec_AllocateProbs(&d.state, props[0], &lzmaHeapAllocator)
                     : LzmaDec_AllocateProbs(&d.state.decoder, props, coder.PropsSize, &lzmaHeapAllocator);
  if (res != SZ_OK) return res == SZ_ERROR_MEM ? kBackupReadUnreadable : kBackupReadDamaged;
  SizeT window = static_cast<SizeT>(std::max<UInt64>(1, std::min(coderDictionary(db.db, coder), p.size)));
  d.state.decoder.dic = static_cast<Byte*>(malloc(window));
  d.state.decoder.dicBufSize = window;
  BackupReadResult result = kBackupReadUnreadable;
  Int64 position = static_cast<Int64>(db.dataPos + db.db.PackPositions[start]);
  if (d.state.decoder.dic != nullptr && ILookInStream_Seek(in, &position, SZ_SEEK_SET) == SZ_OK) {
    if (d.lzma2)
      Lzma2Dec_Init(&d.state);
    else
      LzmaDec_Init(&d.state.decoder);
    result = decodeAll(&d, in, readFailed, &p, out, progress);
  }
  free(d.state.decoder.dic);
  d.state.decoder.dic = nullptr;
  LzmaDec_FreeProbs(&d.state.decoder, &lzmaHeapAllocator);
  UInt32 crc = CRC_GET_DIGEST(p.crc);
  if (result == kBackupReadOk && !(crcMatches(db.CRCs, 0, crc) && crcMatches(db.db.FolderCRCs, 0, crc)))
    result = kBackupReadDamaged;
  return result;
}
