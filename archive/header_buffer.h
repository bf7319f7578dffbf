// HeaderBuffer: the bytes of a 7z end header while it is assembled, with
// the CRC-32 register over them, and the little-endian stores of the
// signature header. seven_zip_header.cc writes the header with them.
#ifndef QK_ARCHIVE_HEADER_BUFFER_H_
#define QK_ARCHIVE_HEADER_BUFFER_H_

#include <stddef.h>

#include "7zTypes.h"

#define SEVEN_ZIP_HEADER_CAPACITY 4096

// The end header while it is assembled, with the CRC register over it.
typedef struct {
  Byte bytes[SEVEN_ZIP_HEADER_CAPACITY];
  UInt32 length;  // bytes appended so far
  UInt32 crc;     // CRC register over those bytes
} HeaderBuffer;

// Empties `h` and starts its CRC register afresh.
void headerReset(HeaderBuffer* h);

// Append to `h` and run every appended byte through its CRC register.
// The capacity is never reached by an end header with a name of at most
// SEVEN_ZIP_MAX_NAME bytes (seven_zip_header.h), so they do not check it.
void putByte(HeaderBuffer* h, Byte b);
void putBytes(HeaderBuffer* h, const Byte* bytes, size_t count);
void putUInt32(HeaderBuffer* h, UInt32 v);  // least significant byte first
void putUInt64(HeaderBuffer* h, UInt64 v);  // least significant byte first
// The 7z variable-length NUMBER: 1 to 9 bytes, shorter for smaller values.
void putNumber(HeaderBuffer* h, UInt64 v);

// Little-endian stores into `dest`, with no CRC.
void storeUInt32LE(Byte* dest, UInt32 v);
void storeUInt64LE(Byte* dest, UInt64 v);

#endif  // QK_ARCHIVE_HEADER_BUFFER_H_
