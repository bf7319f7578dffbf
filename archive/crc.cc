#include "archive/crc.h"

#include <zlib.h>

static_assert(sizeof(z_crc_t) == sizeof(UInt32), "zlib's table entries are 32-bit");

const UInt32* g_CrcTable = nullptr;

// zlib's table is the byte step of the same CRC; borrowing it keeps one
// table in the process.
void CrcGenerateTable(void) {
  if (g_CrcTable == nullptr) g_CrcTable = reinterpret_cast<const UInt32*>(get_crc_table());
}

// zlib's crc32 takes and returns the finished (complemented) value.
UInt32 CrcUpdate(UInt32 crc, const void* data, size_t size) {
  return CRC_GET_DIGEST(static_cast<UInt32>(
      crc32_z(CRC_GET_DIGEST(crc), static_cast<const Bytef*>(data), size)));
}

UInt32 CrcCalc(const void* data, size_t size) {
  return CRC_GET_DIGEST(CrcUpdate(CRC_INIT_VAL, data, size));
}
