// The archive, all integers little-endian:
//
//   offset  size  field
//   0       6     signature 37 7A BC AF 27 1C
//   6       2     version 0.3: bytes 00 03
//   8       4     CRC-32 of bytes 12..31 (the start header CRC)
//   12      8     P: the end header starts P bytes after offset 32
//   20      8     H: the end header's length
//   28      4     CRC-32 of the H bytes of the end header
//   32      P     the raw LZMA stream (no property header, size or end marker)
//   32+P    H     the end header
//
// Bytes 8..31 are written as zeros first and filled in last. The end
// header is a tree of properties, each an id byte; NUMBER is the 7z
// variable-length integer (putNumber). For one file it reads:
//
//   01 Header
//     04 MainStreamsInfo
//       06 PackInfo: NUMBER 0 (pack position), NUMBER 1 (one pack stream),
//          09 Size: NUMBER P; 00 End
//       07 UnPackInfo: 0B Folder: NUMBER 1 (one folder), 00 (not external),
//          NUMBER 1 (one coder), 23 (codec id of 3 bytes, with properties,
//          one stream in and out), 03 01 01 (LZMA), NUMBER 5, the five LZMA
//          property bytes; 0C CodersUnPackSize: NUMBER file size; 00 End
//       08 SubStreamsInfo: 0A CRC: 01 (all defined), the file's CRC-32
//          (4 bytes); 00 End
//     00 End
//     05 FilesInfo: NUMBER 1 (one file)
//       11 Name: NUMBER 2n+3, 00 (not external), the n UTF-16 units of
//          the name and a terminating 0, each little-endian
//       12 CTime: NUMBER 10, 01 (all defined), 00 (not external), FILETIME
//       14 MTime: NUMBER 10, 01, 00, FILETIME
//       15 WinAttributes: NUMBER 6, 01, 00, 20 00 00 00 (archive)
//     00 End
//   00 End
//
// With "Box.lwo", P = 300, a 1,000-byte file and dictionary 64 KiB it is 92
// bytes; in general H = 71 + (2n + 2) + the lengths of the NUMBERs of P,
// the file size and 2n + 3.
#include "archive/seven_zip_header.h"

#include "7zCrc.h"
#include "LzmaEnc.h"

#include <string>

#include "archive/entry_name.h"

namespace {

enum PropertyId : Byte {
  kEnd = 0x00,
  kHeader = 0x01,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnPackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnPackSize = 0x0C,
  kName = 0x11,
  kCTime = 0x12,
  kMTime = 0x14,
  kWinAttributes = 0x15,
};

const Byte kSignature[8] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x03};
const Byte kLzmaCoder[4] = {0x23, 0x03, 0x01, 0x01};  // flags, then the codec id
const UInt32 kArchiveAttribute = 0x20;

// The largest end header: every fixed item, a 9-byte NUMBER for both sizes,
// a 2-byte NUMBER for the name's property size and the longest name.
constexpr UInt32 kLargestHeader = 71 + 9 + 9 + 2 + 2 * (SEVEN_ZIP_MAX_NAME + 1);
static_assert(kLargestHeader <= SEVEN_ZIP_HEADER_CAPACITY, "an end header always fits");

int writeAll(ISeqOutStream* out, const void* data, size_t size) {
  return out->Write(out, data, size) == size;
}

void putStreamsInfo(HeaderBuffer* h, const SevenZipEntry* entry, UInt64 packSize,
                    const Byte* props) {
  putByte(h, kMainStreamsInfo);
  putByte(h, kPackInfo);
  putNumber(h, 0);
  putNumber(h, 1);
  putByte(h, kSize);
  putNumber(h, packSize);
  putByte(h, kEnd);

  putByte(h, kUnPackInfo);
  putByte(h, kFolder);
  putNumber(h, 1);
  putByte(h, 0);
  putNumber(h, 1);
  putBytes(h, kLzmaCoder, sizeof kLzmaCoder);
  putNumber(h, LZMA_PROPS_SIZE);
  putBytes(h, props, LZMA_PROPS_SIZE);
  putByte(h, kCodersUnPackSize);
  putNumber(h, entry->size);
  putByte(h, kEnd);

  putByte(h, kSubStreamsInfo);
  putByte(h, kCrc);
  putByte(h, 1);
  putUInt32(h, entry->crc);
  putByte(h, kEnd);
  putByte(h, kEnd);
}

// The name is stored in UTF-16 (entry_name.h), which takes at most as
// many units as the name has bytes.
void putName(HeaderBuffer* h, const char* name) {
  std::u16string units = entryNameUtf16(name);
  size_t n = units.size();
  putByte(h, kName);
  putNumber(h, 2 * n + 3);
  putByte(h, 0);
  for (size_t i = 0; i <= n; ++i) {  // the terminator too
    char16_t unit = i < n ? units[i] : 0;
    putByte(h, static_cast<Byte>(unit & 0xFF));
    putByte(h, static_cast<Byte>(unit >> 8));
  }
}

// A property of one value that every file defines, stored inline.
void putDefinedProperty(HeaderBuffer* h, Byte id, UInt32 valueSize) {
  putByte(h, id);
  putNumber(h, valueSize + 2);
  putByte(h, 1);
  putByte(h, 0);
}

void putFilesInfo(HeaderBuffer* h, const SevenZipEntry* entry) {
  putByte(h, kFilesInfo);
  putNumber(h, 1);
  putName(h, entry->name);
  putDefinedProperty(h, kCTime, 8);
  putUInt64(h, entry->creationTime);
  putDefinedProperty(h, kMTime, 8);
  putUInt64(h, entry->lastWriteTime);
  putDefinedProperty(h, kWinAttributes, 4);
  putUInt32(h, kArchiveAttribute);
  putByte(h, kEnd);
}

}  // namespace

int writeSignaturePlaceholder(ISeqOutStream* out) {
  static const Byte kZeros[20] = {0};
  return writeAll(out, kSignature, 8) && writeAll(out, kZeros, 4) && writeAll(out, kZeros, 20);
}

int writeEndHeader(ISeqOutStream* out, HeaderBuffer* h, const SevenZipEntry* entry,
                   UInt64 packSize, const Byte* props) {
  headerReset(h);
  putByte(h, kHeader);
  putStreamsInfo(h, entry, packSize, props);
  putFilesInfo(h, entry);
  putByte(h, kEnd);
  return writeAll(out, h->bytes, h->length);
}

// A failed seek fails the archive: the fields written anywhere but at
// offset 8 would leave a broken archive that looked complete.
int writeSignatureHeader(ISeekOutStream* out, const HeaderBuffer* h, UInt64 packSize) {
  Int64 position = 8;
  if (out->Seek(out, &position, SZ_SEEK_SET) != SZ_OK || position != 8) return 0;
  Byte fields[24];
  storeUInt64LE(fields + 4, packSize);
  storeUInt64LE(fields + 12, h->length);
  storeUInt32LE(fields + 20, CRC_GET_DIGEST(h->crc));
  storeUInt32LE(fields, CrcCalc(fields + 4, 20));
  return writeAll(&out->s, fields, sizeof fields);
}
