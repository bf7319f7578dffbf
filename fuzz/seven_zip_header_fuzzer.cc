// Fuzz target: the 7z container's headers for any name, sizes, CRC, times
// and LZMA properties, written into memory and read back by our own reader.
//
// The input, all integers little-endian (missing bytes read as zero):
//   0   8  the file's size          28  8  the packed stream's size
//   8   4  the file's CRC-32        36  5  the LZMA properties
//   12  8  creation time            41  2  what the stream takes at most, in bytes
//   20  8  last-write time          43  1  bit 0: that limit applies; bit 1: seeks fail
//   44  -  the name, up to a zero byte, at most SEVEN_ZIP_MAX_NAME bytes
// The three header steps run as the archive writer runs them, stopping at
// the first failure. Each must succeed exactly when the stream took every
// byte it was given (and, for the start header, could seek). When all
// succeed, the archive read back must have both CRCs right and record
// exactly the inputs. The packed stream itself is not written: the end
// header follows the signature header directly, while the start header
// still records the packed size.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "7zCrc.h"
#include "archive/entry_name.h"
#include "archive/seven_zip_header.h"
#include "fuzz/seven_zip_reader.h"

namespace {

constexpr size_t kFixedSize = 44;

// An output stream into memory that may take only so many bytes, or refuse
// to seek. The interface comes first: the writer calls through it.
struct MemoryStream {
  ISeekOutStream s;
  std::vector<uint8_t>* bytes;
  size_t position;
  size_t capacity;  // bytes beyond this offset are not taken
  bool seekFails;
  bool shortWrite;  // a write took fewer bytes than given
};

size_t memoryWrite(ISeqOutStreamPtr p, const void* buffer, size_t size) {
  MemoryStream* m = streamOf<MemoryStream>(p);
  size_t taken = m->position >= m->capacity ? 0 : std::min(size, m->capacity - m->position);
  if (m->bytes->size() < m->position + taken) m->bytes->resize(m->position + taken);
  if (taken > 0) memcpy(m->bytes->data() + m->position, buffer, taken);
  m->position += taken;
  if (taken < size) m->shortWrite = true;
  return taken;
}

SRes memorySeek(const ISeekOutStream* p, Int64* position, ESzSeek origin) {
  MemoryStream* m = streamOf<MemoryStream>(p);
  if (m->seekFails) return SZ_ERROR_WRITE;
  Int64 from = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? static_cast<Int64>(m->position)
                                                                   : static_cast<Int64>(m->bytes->size());
  if (*position < -from) return SZ_ERROR_WRITE;
  m->position = static_cast<size_t>(from + *position);
  *position = static_cast<Int64>(m->position);
  return SZ_OK;
}

void check(bool holds, const char* what, const std::string& detail = "") {
  if (holds) return;
  fprintf(stderr, "7z header fuzzer: %s %s\n", what, detail.c_str());
  abort();
}

// Checks that one step returned 1 exactly when the stream took everything.
bool stepSucceeded(int result, MemoryStream& m, bool seekNeeded, const char* step) {
  bool expected = !m.shortWrite && !(seekNeeded && m.seekFails);
  check(result == (expected ? 1 : 0), step, "answered against what the stream did");
  return expected;
}

// Compares what was read back with what was written.
void checkContents(const qkfuzz::SevenZipContents& got, const SevenZipEntry& entry, uint64_t packSize,
                   const Byte* props) {
  check(got.packSize == packSize, "packed size read back differs");
  check(std::equal(props, props + 5, got.props), "LZMA properties read back differ");
  check(got.size == entry.size, "file size read back differs");
  check(got.crc == entry.crc, "file CRC read back differs");
  check(got.name == entryNameUtf16(entry.name), "name read back differs from the name in UTF-16");
  check(got.creationTime == entry.creationTime, "creation time read back differs");
  check(got.lastWriteTime == entry.lastWriteTime, "last-write time read back differs");
  check(got.attributes == 0x20, "attributes are not the archive bit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t fixed[kFixedSize] = {};
  memcpy(fixed, data, std::min(size, kFixedSize));
  std::string name;
  for (size_t i = kFixedSize; i < size && data[i] != 0 && name.size() < SEVEN_ZIP_MAX_NAME; ++i)
    name += static_cast<char>(data[i]);

  using qkfuzz::readLittleEndian;
  SevenZipEntry entry = {name.c_str(), readLittleEndian(fixed, 8),
                         static_cast<uint32_t>(readLittleEndian(fixed + 8, 4)), readLittleEndian(fixed + 12, 8),
                         readLittleEndian(fixed + 20, 8)};
  const uint64_t packSize = readLittleEndian(fixed + 28, 8);
  const Byte* props = fixed + 36;
  std::vector<uint8_t> bytes;
  MemoryStream m = {{{memoryWrite}, memorySeek}, &bytes, 0,
                    (fixed[43] & 1) ? static_cast<size_t>(readLittleEndian(fixed + 41, 2)) : SIZE_MAX,
                    (fixed[43] & 2) != 0, false};

  CrcGenerateTable();
  static HeaderBuffer header;
  if (!stepSucceeded(writeSignaturePlaceholder(&m.s.s), m, false, "writeSignaturePlaceholder") ||
      !stepSucceeded(writeEndHeader(&m.s.s, &header, &entry, packSize, props), m, false, "writeEndHeader") ||
      !stepSucceeded(writeSignatureHeader(&m.s, &header, packSize), m, true, "writeSignatureHeader"))
    return 0;

  check(bytes.size() == SEVEN_ZIP_SIGNATURE_HEADER_SIZE + header.length, "archive of the wrong length");
  std::string fault;
  std::optional<qkfuzz::SevenZipContents> got =
      qkfuzz::readSevenZip(bytes, SEVEN_ZIP_SIGNATURE_HEADER_SIZE, &fault);
  check(got.has_value(), "archive read back is broken:", fault);
  checkContents(*got, entry, packSize, props);
  return 0;
}
