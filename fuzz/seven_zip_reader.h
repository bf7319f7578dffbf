// Our own reader of the 7z container that the archive writer makes: it
// checks both CRCs of an archive's headers and decodes what the end header
// records of the one file, for the 7z header fuzz target.
#ifndef QK_FUZZ_SEVEN_ZIP_READER_H_
#define QK_FUZZ_SEVEN_ZIP_READER_H_

#include <stddef.h>
#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

namespace qkfuzz {

// Returns the little-endian integer of `count` (at most 8) bytes at `bytes`.
uint64_t readLittleEndian(const uint8_t* bytes, int count);

// What the headers of an archive of one LZMA-packed file record.
struct SevenZipContents {
  uint64_t packSize = 0;        // from the start header and again from PackInfo
  uint8_t props[5] = {};        // the coder's LZMA properties
  uint64_t size = 0;            // the file's unpacked size
  uint32_t crc = 0;             // the file's CRC-32
  std::u16string name;          // the name's 16-bit units
  uint64_t creationTime = 0;    // FILETIME
  uint64_t lastWriteTime = 0;   // FILETIME
  uint32_t attributes = 0;
};

// Reads `archive`: the 32-byte signature header, and the end header, which
// here starts at `endHeaderAt` (the packed stream is not held in memory)
// and must run to the end of `archive`. Both CRCs, every property id and
// count, and the shortest form of every NUMBER are checked. Returns the
// contents, or nullopt with the first fault in `*fault`.
std::optional<SevenZipContents> readSevenZip(const std::vector<uint8_t>& archive, size_t endHeaderAt,
                                             std::string* fault);

}  // namespace qkfuzz

#endif  // QK_FUZZ_SEVEN_ZIP_READER_H_
