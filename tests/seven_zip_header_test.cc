// The 7z container's bytes: NUMBERs, the end header, the signature header.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "7zCrc.h"
#include "archive/seven_zip_header.h"
#include "tests/archive_test_support.h"

namespace qktest {
namespace {

using Bytes = std::vector<Byte>;

Bytes bytesOf(const HeaderBuffer& h) { return Bytes(h.bytes, h.bytes + h.length); }

Bytes bytesOf(const std::string& s, size_t from, size_t count) {
  return Bytes(s.begin() + static_cast<long>(from), s.begin() + static_cast<long>(from + count));
}

class HeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CrcGenerateTable();
    headerReset(&h_);
  }
  HeaderBuffer h_;
};

TEST_F(HeaderTest, NumbersTakeOneToNineBytes) {
  const UInt64 k56 = UInt64{1} << 56;
  struct Case {
    UInt64 value;
    Bytes bytes;
  } cases[] = {
      {0, {0x00}},
      {127, {0x7F}},
      {128, {0x80, 0x80}},
      {300, {0x81, 0x2C}},
      {1000, {0x83, 0xE8}},
      {16383, {0xBF, 0xFF}},
      {16384, {0xC0, 0x00, 0x40}},
      {2097151, {0xDF, 0xFF, 0xFF}},
      {2097152, {0xE0, 0x00, 0x00, 0x20}},
      {k56 - 1, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {k56, {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}},
      {~UInt64{0}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    headerReset(&h_);
    putNumber(&h_, c.value);
    EXPECT_EQ(bytesOf(h_), c.bytes) << c.value;
  }
}

TEST_F(HeaderTest, EveryAppendedByteRunsThroughTheCrc) {
  putByte(&h_, 0x01);
  putUInt32(&h_, 0x04030201u);
  putUInt64(&h_, 0x0C0B0A0908070605ull);
  const Byte tail[] = {0x0D, 0x0E};
  putBytes(&h_, tail, 2);
  putNumber(&h_, 300);
  Bytes expected = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x81, 0x2C};
  EXPECT_EQ(bytesOf(h_), expected);
  EXPECT_EQ(CRC_GET_DIGEST(h_.crc), CrcCalc(expected.data(), expected.size()));
}

TEST(SevenZipHeader, ExampleEndHeaderByteForByte) {
  CrcGenerateTable();
  SevenZipEntry entry = {"Box.lwo", 1000, 0xA1B2C3D4u, 0x0102030405060708ull, 0x1112131415161718ull};
  const Byte normalProps[5] = {0x5D, 0x00, 0x00, 0x01, 0x00};
  MemoryOutStream out;
  HeaderBuffer h;
  ASSERT_EQ(writeEndHeader(&out.s.s, &h, &entry, 300, normalProps), 1);
  const Bytes expected = {
      0x01, 0x04, 0x06, 0x00, 0x01, 0x09, 0x81, 0x2C, 0x00,                    // pack info
      0x07, 0x0B, 0x01, 0x00, 0x01, 0x23, 0x03, 0x01, 0x01, 0x05,              // folder, coder
      0x5D, 0x00, 0x00, 0x01, 0x00, 0x0C, 0x83, 0xE8, 0x00,                    // props, size
      0x08, 0x0A, 0x01, 0xD4, 0xC3, 0xB2, 0xA1, 0x00, 0x00,                    // CRC
      0x05, 0x01, 0x11, 0x11, 0x00,                                            // files, name
      0x42, 0x00, 0x6F, 0x00, 0x78, 0x00, 0x2E, 0x00, 0x6C, 0x00, 0x77, 0x00, 0x6F, 0x00,
      0x00, 0x00,
      0x12, 0x0A, 0x01, 0x00, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // CTime
      0x14, 0x0A, 0x01, 0x00, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11,  // MTime
      0x15, 0x06, 0x01, 0x00, 0x20, 0x00, 0x00, 0x00,                          // attributes
      0x00, 0x00,
  };
  ASSERT_EQ(expected.size(), 92u);
  EXPECT_EQ(bytesOf(out.bytes, 0, out.bytes.size()), expected);
  EXPECT_EQ(bytesOf(h), expected);
  EXPECT_EQ(CRC_GET_DIGEST(h.crc), CrcCalc(expected.data(), expected.size()));
}

TEST(SevenZipHeader, NameBytesBecomeUnitsOfTheSameValue) {
  CrcGenerateTable();
  const char name[] = {'\xE9', 't', 'e', '\xFF', '\0'};
  SevenZipEntry entry = {name, 1000, 0, 0, 0};
  const Byte props[5] = {0x5D, 0, 0, 1, 0};
  MemoryOutStream out;
  HeaderBuffer h;
  ASSERT_EQ(writeEndHeader(&out.s.s, &h, &entry, 300, props), 1);
  // Offsets as in the example header: Name at 39, its size at 40.
  EXPECT_EQ(out.bytes[39], 0x11);
  EXPECT_EQ(out.bytes[40], 2 * 4 + 3);
  const Bytes units = {0xE9, 0x00, 't', 0x00, 'e', 0x00, 0xFF, 0x00, 0x00, 0x00};
  EXPECT_EQ(bytesOf(out.bytes, 42, units.size()), units);
}

TEST(SevenZipHeader, LongestNameFitsTheBuffer) {
  CrcGenerateTable();
  std::string name(SEVEN_ZIP_MAX_NAME, 'n');
  SevenZipEntry entry = {name.c_str(), ~UInt64{0}, 0, 0, 0};
  const Byte props[5] = {0x5D, 0, 0, 0, 1};
  MemoryOutStream out;
  HeaderBuffer h;
  ASSERT_EQ(writeEndHeader(&out.s.s, &h, &entry, ~UInt64{0}, props), 1);
  const size_t longest = 91 + 2 * (SEVEN_ZIP_MAX_NAME + 1);  // the fixed fields and the name in UTF-16
  EXPECT_EQ(h.length, longest);
  EXPECT_EQ(out.bytes.size(), longest);
}

TEST(SevenZipHeader, SignatureHeaderFieldsAndCrcs) {
  CrcGenerateTable();
  MemoryOutStream out;
  ASSERT_EQ(writeSignaturePlaceholder(&out.s.s), 1);
  const Bytes placeholder = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x03};
  EXPECT_EQ(bytesOf(out.bytes, 0, 8), placeholder);
  EXPECT_EQ(out.bytes, std::string(reinterpret_cast<const char*>(placeholder.data()), 8) +
                           std::string(24, '\0'));

  HeaderBuffer h;
  headerReset(&h);
  putNumber(&h, 1000);
  out.position = 32 + 300;
  ASSERT_EQ(writeSignatureHeader(&out.s, &h, 300), 1);
  EXPECT_EQ(out.position, 32u);
  const Bytes fields = {0x2C, 0x01, 0, 0, 0, 0, 0, 0,  // P = 300
                        0x02, 0x00, 0, 0, 0, 0, 0, 0};  // H = 2
  EXPECT_EQ(bytesOf(out.bytes, 12, 16), fields);
  const Byte end[2] = {0x83, 0xE8};
  Bytes endCrc(4);
  storeUInt32LE(endCrc.data(), CrcCalc(end, 2));
  EXPECT_EQ(bytesOf(out.bytes, 28, 4), endCrc);
  Bytes startCrc(4);
  storeUInt32LE(startCrc.data(), CrcCalc(out.bytes.data() + 12, 20));
  EXPECT_EQ(bytesOf(out.bytes, 8, 4), startCrc);
}

TEST(SevenZipHeader, ShortWritesAndFailedSeeksFail) {
  CrcGenerateTable();
  // The placeholder is written as 8, 4 and 20 bytes: a budget short of each.
  for (size_t budget : {0u, 7u, 8u, 11u, 12u, 31u}) {
    MemoryOutStream out;
    out.writeBudget = budget;
    EXPECT_EQ(writeSignaturePlaceholder(&out.s.s), 0) << budget;
  }
  SevenZipEntry entry = {"a", 1, 0, 0, 0};
  const Byte props[5] = {0x5D, 0, 0, 1, 0};
  HeaderBuffer h;
  MemoryOutStream shortEnd;
  shortEnd.writeBudget = 10;
  EXPECT_EQ(writeEndHeader(&shortEnd.s.s, &h, &entry, 1, props), 0);

  MemoryOutStream noSeek;
  noSeek.seekFails = true;
  EXPECT_EQ(writeSignatureHeader(&noSeek.s, &h, 1), 0);
  EXPECT_TRUE(noSeek.bytes.empty());  // nothing written at the wrong place
  MemoryOutStream shortStart;
  shortStart.writeBudget = 23;
  EXPECT_EQ(writeSignatureHeader(&shortStart.s, &h, 1), 0);
}

}  // namespace
}  // namespace qktest
