// The CRC-32 routines of the 7z container.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "7zCrc.h"
#include "tests/archive_test_support.h"

namespace qktest {
namespace {

TEST(ArchiveCrc, StandardCheckValueWholeInPiecesAndByteByByte) {
  CrcGenerateTable();
  const std::string check = "123456789";
  EXPECT_EQ(CrcCalc(check.data(), check.size()), 0xCBF43926u);

  std::string data = randomBytes(100000, 7);
  UInt32 whole = CrcCalc(data.data(), data.size());
  EXPECT_EQ(whole, crc32_z(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
  UInt32 pieces = CRC_INIT_VAL;
  for (size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 + 1)
    pieces = CrcUpdate(pieces, data.data() + at, std::min(step, data.size() - at));
  EXPECT_EQ(CRC_GET_DIGEST(pieces), whole);
  UInt32 bytewise = CRC_INIT_VAL;
  for (char c : data) bytewise = CRC_UPDATE_BYTE(bytewise, static_cast<Byte>(c));
  EXPECT_EQ(CRC_GET_DIGEST(bytewise), whole);
  EXPECT_EQ(CrcCalc(nullptr, 0), 0u);
}

}  // namespace
}  // namespace qktest
