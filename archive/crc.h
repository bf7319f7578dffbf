// CRC-32 routines for the 7z container, in the LZMA SDK's style.
//
// The CRC is the standard one (reflected polynomial 0xEDB88320) that zlib's
// crc32 computes; these routines work on the raw register, which starts at
// CRC_INIT_VAL and is complemented once at the end (CRC_GET_DIGEST), so a
// CRC can be run over data that arrives in pieces or one byte at a time.
#ifndef QK_ARCHIVE_CRC_H_
#define QK_ARCHIVE_CRC_H_

#include <stddef.h>

#include "Types.h"

#define CRC_INIT_VAL 0xFFFFFFFFu
#define CRC_GET_DIGEST(crc) ((crc) ^ CRC_INIT_VAL)

// The 256-entry table of the byte step; null until CrcGenerateTable has run.
extern const UInt32* g_CrcTable;

// The table step for one byte: the register after `b` has gone through it.
#define CRC_UPDATE_BYTE(crc, b) (g_CrcTable[((crc) ^ (b)) & 0xFF] ^ ((crc) >> 8))

// Makes g_CrcTable ready. Call it once before CRC_UPDATE_BYTE; later calls
// do nothing.
void CrcGenerateTable(void);

// Returns the register after the `size` bytes at `data` have gone through
// register `crc`.
UInt32 CrcUpdate(UInt32 crc, const void* data, size_t size);

// Returns the finished CRC-32 of the `size` bytes at `data`.
UInt32 CrcCalc(const void* data, size_t size);

#endif  // QK_ARCHIVE_CRC_H_
