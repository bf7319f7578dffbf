#include "archive/header_buffer.h"

#include "7zCrc.h"

void headerReset(HeaderBuffer* h) {
  h->length = 0;
  h->crc = CRC_INIT_VAL;
}

void putByte(HeaderBuffer* h, Byte b) {
  h->bytes[h->length++] = b;
  h->crc = CRC_UPDATE_BYTE(h->crc, b);
}

void putBytes(HeaderBuffer* h, const Byte* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) putByte(h, bytes[i]);
}

void putUInt32(HeaderBuffer* h, UInt32 v) {
  for (int i = 0; i < 4; ++i) putByte(h, static_cast<Byte>(v >> (8 * i)));
}

void putUInt64(HeaderBuffer* h, UInt64 v) {
  for (int i = 0; i < 8; ++i) putByte(h, static_cast<Byte>(v >> (8 * i)));
}

// The first byte carries one high bit per byte that follows, and above the
// smallest count i with v < 2^(7(i+1)) the value's high bits; the i low
// bytes of v follow. From 2^56 up it is FF and all eight bytes.
void putNumber(HeaderBuffer* h, UInt64 v) {
  Byte first = 0;
  Byte mask = 0x80;
  int follow = 0;
  for (; follow < 8; ++follow) {
    if (v < (static_cast<UInt64>(1) << (7 * (follow + 1)))) {
      first |= static_cast<Byte>(v >> (8 * follow));
      break;
    }
    first |= mask;
    mask >>= 1;
  }
  putByte(h, first);
  for (int i = 0; i < follow; ++i) putByte(h, static_cast<Byte>(v >> (8 * i)));
}

void storeUInt32LE(Byte* dest, UInt32 v) {
  for (int i = 0; i < 4; ++i) dest[i] = static_cast<Byte>(v >> (8 * i));
}

void storeUInt64LE(Byte* dest, UInt64 v) {
  for (int i = 0; i < 8; ++i) dest[i] = static_cast<Byte>(v >> (8 * i));
}
