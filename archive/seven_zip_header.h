// The 7z container around one LZMA stream: the signature header at the
// start of the archive and the end header that describes the one file.
//
// An archive is written in one pass: writeSignaturePlaceholder, the packed
// stream, writeEndHeader, then writeSignatureHeader seeks back and fills in
// the start header. seven_zip_header.cc documents the layout byte by byte.
//
// Results: the write functions return 1 on success and 0 when the stream
// took fewer bytes than given (or, for writeSignatureHeader, could not seek).
#ifndef QK_ARCHIVE_SEVEN_ZIP_HEADER_H_
#define QK_ARCHIVE_SEVEN_ZIP_HEADER_H_

#include <stdint.h>

#include "7zTypes.h"
#include "archive/header_buffer.h"
#include "archive/lzma_streams.h"

#define SEVEN_ZIP_SIGNATURE_HEADER_SIZE 32  // the packed stream starts here
#define SEVEN_ZIP_MAX_NAME 777              // bytes of an entry name: 259 UTF-16 units in UTF-8

// What the end header records of the archived file.
typedef struct {
  const char* name;        // file name without folders in UTF-8, at most SEVEN_ZIP_MAX_NAME bytes
  uint64_t size;           // bytes of the file
  uint32_t crc;            // CRC-32 of those bytes
  uint64_t creationTime;   // FILETIME: 100 ns units since 1601-01-01, UTC
  uint64_t lastWriteTime;  // FILETIME
} SevenZipEntry;

// Writes the 32-byte signature header with its fields still zero.
int writeSignaturePlaceholder(ISeqOutStream* out);

// Assembles the end header for `entry`, stored in one LZMA stream of
// `packSize` bytes whose five property bytes are `props`, into `h` and
// writes it in one write.
int writeEndHeader(ISeqOutStream* out, HeaderBuffer* h, const SevenZipEntry* entry,
                   UInt64 packSize, const Byte* props);

// Seeks `out` to offset 8 and writes the start header's fields for the end
// header `h` that follows `packSize` bytes of packed stream.
int writeSignatureHeader(ISeekOutStream* out, const HeaderBuffer* h, UInt64 packSize);

#endif  // QK_ARCHIVE_SEVEN_ZIP_HEADER_H_
