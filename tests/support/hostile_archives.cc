#include "tests/support/hostile_archives.h"

#include <zlib.h>

#include <vector>

#include "LzmaEnc.h"
#include "archive/seven_zip_writer.h"

namespace qktest {
namespace {

std::string littleEndian(uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

uint64_t readLittleEndian(const std::string& bytes, size_t at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

// A 7z NUMBER in its longest form, which every reader takes.
std::string number(uint64_t value) { return '\xFF' + littleEndian(value, 8); }

std::string crcOf(const std::string& bytes) {
  return littleEndian(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())), 4);
}

// `bytes` as a raw LZMA stream; its five property bytes go to `props`.
std::string lzmaEncode(const std::string& bytes, std::string* props) {
  std::vector<unsigned char> out(bytes.size() + bytes.size() / 2 + 1024);
  SizeT outSize = out.size();
  unsigned char propBytes[LZMA_PROPS_SIZE];
  SizeT propsSize = LZMA_PROPS_SIZE;
  CLzmaEncProps encoderProps;
  LzmaEncProps_Init(&encoderProps);
  encoderProps.level = 0;  // the fastest: the padding is zeros
  encoderProps.numThreads = 1;
  LzmaEncode(out.data(), &outSize, reinterpret_cast<const Byte*>(bytes.data()), bytes.size(), &encoderProps,
             propBytes, &propsSize, 0, nullptr, &lzmaHeapAllocator, &lzmaHeapAllocator);
  props->assign(reinterpret_cast<char*>(propBytes), propsSize);
  return std::string(reinterpret_cast<char*>(out.data()), outSize);
}

}  // namespace

void resealSevenZip(std::string* archive) {
  uint64_t offset = readLittleEndian(*archive, 12), size = readLittleEndian(*archive, 20);
  archive->replace(28, 4, crcOf(archive->substr(32 + offset, size)));
  archive->replace(8, 4, crcOf(archive->substr(12, 20)));
}

std::string withEncodedHeaderOf(const std::string& archive, size_t headerSize) {
  uint64_t offset = readLittleEndian(archive, 12), size = readLittleEndian(archive, 20);
  std::string header = archive.substr(32 + offset, size);
  const size_t added = 1 + 9;  // the property's id and size
  std::string padding = '\x19' + number(headerSize - size - added) + std::string(headerSize - size - added, '\0');
  header.insert(header.size() - 2, padding);  // before the ends of the files' properties and of the header
  std::string props;
  std::string packed = lzmaEncode(header, &props);
  std::string encoded = std::string("\x17\x06") + number(offset) + number(1) + '\x09' + number(packed.size()) +
                        '\0' + "\x07\x0B" + number(1) + '\0' + number(1) + "\x23\x03\x01\x01" +
                        number(props.size()) + props + '\x0C' + number(header.size()) + "\x0A\x01" +
                        crcOf(header) + '\0' + '\0';
  std::string result = archive.substr(0, 32 + offset) + packed + encoded;
  result.replace(12, 8, littleEndian(offset + packed.size(), 8));
  result.replace(20, 8, littleEndian(encoded.size(), 8));
  resealSevenZip(&result);
  return result;
}

std::string withDictionary(const std::string& archive, uint32_t dictionary) {
  uint64_t offset = readLittleEndian(archive, 12);
  size_t coder = archive.find("\x03\x01\x01\x05\x5D", 32 + offset);  // LZMA's id, five property bytes
  std::string result = archive;
  result.replace(coder + 5, 4, littleEndian(dictionary, 4));
  resealSevenZip(&result);
  return result;
}

}  // namespace qktest
