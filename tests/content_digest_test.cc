// Content digests: the SHA-256 is the standard one however the bytes are
// fed, and a file matches a digest only when it holds exactly its bytes.
#include <gtest/gtest.h>

#include <string>

#include "archive/content_digest.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/scratch_folder.h"

namespace qktest {
namespace {

std::string hexOf(const ContentDigest& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : digest.sha256) text += {digits[b >> 4], digits[b & 15]};
  return text;
}

// The digest of `bytes`, added in pieces of growing sizes.
ContentDigest digestOf(const std::string& bytes) {
  DigestState state;
  digestStart(&state);
  for (size_t at = 0, step = 1; at < bytes.size(); at += step, step = step * 3 + 1)
    digestAdd(&state, bytes.data() + at, std::min(step, bytes.size() - at));
  ContentDigest digest;
  digestFinish(&state, &digest);
  return digest;
}

TEST(ContentDigest, StandardVectorsInPieces) {
  struct Case {
    std::string bytes;
    const char* sha256;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    ContentDigest digest = digestOf(c.bytes);
    EXPECT_EQ(hexOf(digest), c.sha256) << c.bytes.size() << " bytes";
    EXPECT_EQ(digest.length, c.bytes.size());
  }
}

TEST(ContentDigest, AFileMatchesOnlyTheBytesTheDigestWasTakenOf) {
  ScratchFolder scratch;
  const std::string path = scratch.path() + "/object.lwo";
  const std::string piece = randomBytes(65536, 3);  // the reader's piece size
  const std::string large = randomBytes(1000003, 5);
  std::string lastByteChanged = large;
  lastByteChanged.back() ^= 1;
  struct Case {
    const char* name;
    std::string digested;
    std::string onDisk;
    int expected;
  } cases[] = {
      {"empty", "", "", 1},
      {"one piece exactly", piece, piece, 1},
      {"many pieces", large, large, 1},
      {"last byte changed", large, lastByteChanged, 0},
      {"one byte longer", piece, piece + "x", 0},
      {"one byte shorter", piece, piece.substr(1), 0},
  };
  for (const Case& c : cases) {
    writeFile(path, c.onDisk);
    EXPECT_EQ(fileHasContent(path.c_str(), digestOf(c.digested)), c.expected) << c.name;
  }
  EXPECT_EQ(fileHasContent((scratch.path() + "/missing.lwo").c_str(), digestOf("")), 0);
}

}  // namespace
}  // namespace qktest
