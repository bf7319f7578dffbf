#include "host/lwo_edit.h"

#include <stdint.h>

namespace qkhost {

namespace {

void putBigEndian32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

}  // namespace

std::string appendEditChunk(const std::string& object) {
  static int edits = 0;
  std::string comment = "edit " + std::to_string(++edits);
  if (comment.size() % 2 != 0) comment += '\0';  // IFF chunks have even length
  std::string result = object + "TEXT" + std::string(4, '\0') + comment;
  putBigEndian32(result, object.size() + 4, static_cast<uint32_t>(comment.size()));
  if (result.size() >= 12 && result.compare(0, 4, "FORM") == 0)
    putBigEndian32(result, 4, static_cast<uint32_t>(result.size() - 8));
  return result;
}

}  // namespace qkhost
