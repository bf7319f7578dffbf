#include "archive/seven_zip_writer.h"

#include <string.h>

#include "7zCrc.h"
#include "archive/entry_name.h"
#include "platform/platform.h"

namespace {

const UInt32 kNormalDictionary = 1u << 16;  // 64 KiB
const UInt32 kHighDictionary = 1u << 24;    // 16 MiB
const uint32_t kMaxThreads = 32;

// The source as the encoder reads it, with the CRC-32 and the count of
// every byte that passes. With more than one thread the encoder reads on
// its match finder's thread, one read at a time and in order; the caller
// looks at the CRC and the count only once LzmaEnc_Encode has returned,
// after the encoder has stopped that thread.
typedef struct {
  ISeqInStream s;
  const ISeqInStream* source;
  UInt32 crc;   // CRC register
  UInt64 size;  // bytes read
} CrcInStream;

// Runs what was read through the CRC even when the read failed, so the
// register always covers exactly the bytes delivered.
SRes crcRead(ISeqInStreamPtr p, void* buf, size_t* size) {
  CrcInStream* stream = streamOf<CrcInStream>(p);
  SRes res = stream->source->Read(stream->source, buf, size);
  stream->crc = CrcUpdate(stream->crc, buf, *size);
  stream->size += *size;
  return res == SZ_OK ? SZ_OK : SZ_ERROR_READ;
}

// Encodes with `encoder`; the archive steps of encodeSevenZip.
SRes encodeWith(CLzmaEncHandle encoder, ISeekOutStream* out, ISeqInStream* in, SevenZipEntry* entry,
                int32_t compressionLevel, const IArchiveProgress* progress) {
  CLzmaEncProps props = sevenZipEncoderProps(compressionLevel, platformProcessorCount());
  RINOK(LzmaEnc_SetProps(encoder, &props));
  Byte propBytes[LZMA_PROPS_SIZE];
  SizeT propSize = LZMA_PROPS_SIZE;
  SRes res = LzmaEnc_WriteProperties(encoder, propBytes, &propSize);
  if (!writeSignaturePlaceholder(&out->s)) return SZ_ERROR_WRITE;
  RINOK(res);

  CrcInStream source = {{crcRead}, in, CRC_INIT_VAL, 0};
  ArchiveCoderProgress coderProgress = coderProgressOf(progress);
  RINOK(LzmaEnc_Encode(encoder, &out->s, &source.s, &coderProgress.vt, &lzmaHeapAllocator, &lzmaHeapAllocator));
  Int64 end = 0;
  if (out->Seek(out, &end, SZ_SEEK_CUR) != SZ_OK || end < SEVEN_ZIP_SIGNATURE_HEADER_SIZE)
    return SZ_ERROR_WRITE;
  UInt64 packSize = static_cast<UInt64>(end) - SEVEN_ZIP_SIGNATURE_HEADER_SIZE;
  entry->size = source.size;
  entry->crc = CRC_GET_DIGEST(source.crc);

  HeaderBuffer header;
  if (!writeEndHeader(&out->s, &header, entry, packSize, propBytes)) return SZ_ERROR_WRITE;
  if (!writeSignatureHeader(out, &header, packSize)) return SZ_ERROR_WRITE;
  return SZ_OK;
}

// The steps after both files are open, up to the archive written; begins
// the progress. Returns the status.
SRes writeOpenFiles(PlatformFile* sourceFile, PlatformFile* archiveFile, const char* source,
                    int32_t compressionLevel, DigestState* digest, const IArchiveProgress* progress) {
  SevenZipEntry entry = {entryNameOf(source), 0, 0, 0, 0};
  if (!platformFileTimes(sourceFile, &entry.creationTime, &entry.lastWriteTime))
    entry.creationTime = entry.lastWriteTime = platformCurrentFileTime();
  uint64_t length = 0;
  platformFileLength(sourceFile, &length);  // only the progress' total: 0 shows no bar

  FileInStream in;
  FileOutStream out;
  FileInStream_Init(&in, sourceFile);
  in.digest = digest;
  FileOutStream_Init(&out, archiveFile);
  progress->Begin(progress, length, "Compressing...");
  return encodeSevenZip(&out.s, &in.s, &entry, compressionLevel, progress);
}

}  // namespace

CLzmaEncProps sevenZipEncoderProps(int32_t compressionLevel, uint32_t processors) {
  CLzmaEncProps props;
  LzmaEncProps_Init(&props);
  props.dictSize = compressionLevel != 0 ? kHighDictionary : kNormalDictionary;
  uint32_t threads = processors == 0 ? 1 : processors;
  props.numThreads = static_cast<int>(threads < kMaxThreads ? threads : kMaxThreads);
  return props;
}

SRes encodeSevenZip(ISeekOutStream* out, ISeqInStream* in, SevenZipEntry* entry, int32_t compressionLevel,
                    const IArchiveProgress* progress) {
  if (strlen(entry->name) > SEVEN_ZIP_MAX_NAME) return SZ_ERROR_PARAM;
  [[maybe_unused]] static const bool crcTableReady = (CrcGenerateTable(), true);  // once
  CLzmaEncHandle encoder = LzmaEnc_Create(&lzmaHeapAllocator);
  if (encoder == nullptr) return SZ_ERROR_MEM;
  SRes res = encodeWith(encoder, out, in, entry, compressionLevel, progress);
  LzmaEnc_Destroy(encoder, &lzmaHeapAllocator, &lzmaHeapAllocator);
  return res;
}

int writeSevenZip(PlatformFile* source, const char* sourcePath, PlatformFile* archive, int32_t compressionLevel,
                  DigestState* digest, const IArchiveProgress* progress) {
  SRes res = writeOpenFiles(source, archive, sourcePath, compressionLevel, digest, progress);
  progress->End(progress);
  return res == SZ_OK;
}
