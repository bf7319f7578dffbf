#include "fuzz/seven_zip_reader.h"

#include <zlib.h>

#include <algorithm>

namespace qkfuzz {

namespace {

// Reads an end header front to back; the first fault stops it.
class Cursor {
 public:
  Cursor(const uint8_t* at, size_t size, std::string* fault) : at_(at), end_(at + size), fault_(fault) {}

  bool failed() const { return failed_; }
  bool atEnd() const { return at_ == end_; }

  void fail(const std::string& what) {
    if (!failed_) *fault_ = what;
    failed_ = true;
  }

  uint8_t byte() {
    if (at_ == end_) {
      fail("end header ends early");
      return 0;
    }
    return *at_++;
  }

  // A little-endian integer of `count` bytes.
  uint64_t little(int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<uint64_t>(byte()) << (8 * i);
    return value;
  }

  void expect(uint8_t wanted, const char* what) {
    uint8_t got = byte();
    if (got != wanted) fail(std::string("wrong byte for ") + what + ": " + std::to_string(got));
  }

  // The 7z NUMBER: each leading 1 bit of the first byte adds one byte that
  // follows (least significant first); the first byte's remaining low bits
  // are the value's top bits. Fails unless it is the shortest form.
  uint64_t number(const char* what) {
    const uint8_t first = byte();
    uint64_t value = 0;
    int follow = 0;
    while (follow < 8 && (first & (0x80 >> follow)) != 0) ++follow;
    for (int i = 0; i < follow; ++i) value |= static_cast<uint64_t>(byte()) << (8 * i);
    if (follow < 8) value |= static_cast<uint64_t>(first & ((0x80 >> follow) - 1)) << (8 * follow);
    const uint64_t shortestFrom = follow == 0 ? 0 : uint64_t{1} << (7 * follow);
    if (value < shortestFrom) fail(std::string("NUMBER not in its shortest form: ") + what);
    return value;
  }

  void expectNumber(uint64_t wanted, const char* what) {
    if (number(what) != wanted) fail(std::string("wrong NUMBER for ") + what);
  }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
  std::string* fault_;
  bool failed_ = false;
};

uint32_t crcOf(const uint8_t* bytes, size_t size) {
  return static_cast<uint32_t>(crc32(0, bytes, static_cast<uInt>(size)));
}

void readStreamsInfo(Cursor& c, SevenZipContents* out) {
  c.expect(0x04, "MainStreamsInfo");
  c.expect(0x06, "PackInfo");
  c.expectNumber(0, "pack position");
  c.expectNumber(1, "pack stream count");
  c.expect(0x09, "Size");
  if (c.number("pack size") != out->packSize) c.fail("PackInfo size differs from the start header");
  c.expect(0x00, "end of PackInfo");
  c.expect(0x07, "UnPackInfo");
  c.expect(0x0B, "Folder");
  c.expectNumber(1, "folder count");
  c.expect(0x00, "not external");
  c.expectNumber(1, "coder count");
  c.expect(0x23, "coder flags");
  for (uint8_t id : {0x03, 0x01, 0x01}) c.expect(id, "LZMA codec id");
  c.expectNumber(5, "property size");
  for (uint8_t& p : out->props) p = c.byte();
  c.expect(0x0C, "CodersUnPackSize");
  out->size = c.number("unpacked size");
  c.expect(0x00, "end of UnPackInfo");
  c.expect(0x08, "SubStreamsInfo");
  c.expect(0x0A, "CRC");
  c.expect(0x01, "all CRCs defined");
  out->crc = static_cast<uint32_t>(c.little(4));
  c.expect(0x00, "end of SubStreamsInfo");
  c.expect(0x00, "end of MainStreamsInfo");
}

void readName(Cursor& c, SevenZipContents* out) {
  c.expect(0x11, "Name");
  const uint64_t propertySize = c.number("name size");
  c.expect(0x00, "name not external");
  for (;;) {
    const uint64_t unit = c.little(2);
    if (c.failed() || unit == 0) break;
    out->name += static_cast<char16_t>(unit);
  }
  if (propertySize != 2 * out->name.size() + 3) c.fail("name size differs from the name");
}

// A property that the one file defines, inline, of `valueSize` bytes.
uint64_t readDefined(Cursor& c, uint8_t id, int valueSize, const char* what) {
  c.expect(id, what);
  c.expectNumber(static_cast<uint64_t>(valueSize) + 2, what);
  c.expect(0x01, "all defined");
  c.expect(0x00, "not external");
  return c.little(valueSize);
}

void readFilesInfo(Cursor& c, SevenZipContents* out) {
  c.expect(0x05, "FilesInfo");
  c.expectNumber(1, "file count");
  readName(c, out);
  out->creationTime = readDefined(c, 0x12, 8, "CTime");
  out->lastWriteTime = readDefined(c, 0x14, 8, "MTime");
  out->attributes = static_cast<uint32_t>(readDefined(c, 0x15, 4, "WinAttributes"));
  c.expect(0x00, "end of FilesInfo");
}

}  // namespace

uint64_t readLittleEndian(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return value;
}

std::optional<SevenZipContents> readSevenZip(const std::vector<uint8_t>& archive, size_t endHeaderAt,
                                             std::string* fault) {
  static const uint8_t kSignature[8] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x03};
  fault->clear();
  if (archive.size() < 32 || endHeaderAt < 32 || endHeaderAt > archive.size()) {
    *fault = "too short for a signature header";
    return std::nullopt;
  }
  const uint8_t* a = archive.data();
  if (!std::equal(kSignature, kSignature + 8, a)) *fault = "wrong signature";
  else if (readLittleEndian(a + 8, 4) != crcOf(a + 12, 20)) *fault = "wrong start header CRC";
  else if (readLittleEndian(a + 20, 8) != archive.size() - endHeaderAt) *fault = "wrong end header length";
  else if (readLittleEndian(a + 28, 4) != crcOf(a + endHeaderAt, archive.size() - endHeaderAt))
    *fault = "wrong end header CRC";
  if (!fault->empty()) return std::nullopt;

  SevenZipContents out;
  out.packSize = readLittleEndian(a + 12, 8);
  Cursor c(a + endHeaderAt, archive.size() - endHeaderAt, fault);
  c.expect(0x01, "Header");
  readStreamsInfo(c, &out);
  readFilesInfo(c, &out);
  c.expect(0x00, "end of Header");
  if (!c.failed() && !c.atEnd()) c.fail("bytes after the end header");
  if (c.failed()) return std::nullopt;
  return out;
}

}  // namespace qkfuzz
