// Helpers for the archive tests: a scratch folder, the independent archive
// readers (7zz, unzip, zipinfo) run as programs (tests/support/test_platform.h),
// and an in-memory output stream that can be told to fail.
#ifndef QK_TESTS_ARCHIVE_TEST_SUPPORT_H_
#define QK_TESTS_ARCHIVE_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "archive/lzma_streams.h"
#include "archive/seven_zip_writer.h"
#include "platform/platform.h"
#include "plugin/host_progress.h"
#include "tests/support/output_file.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_platform.h"

namespace qktest {

// A test with a scratch folder of its own, removed afterwards.
class ScratchTest : public ::testing::Test {
 public:
  // The path of `name` in the scratch folder.
  std::string path(const std::string& name) const { return scratch() + kSeparator + name; }
  const std::string& scratch() const { return scratch_.path(); }

 private:
  ScratchFolder scratch_{"qk_archive"};
};

// `count` bytes that do not compress.
inline std::string randomBytes(size_t count, unsigned seed = 1) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

// `count` bytes that compress well but not to nothing: numbered lines.
inline std::string textBytes(size_t count) {
  std::string bytes;
  for (int line = 0; bytes.size() < count; ++line)
    bytes += "point " + std::to_string(line) + " " + std::to_string(line * 7 % 1000) + "\n";
  bytes.resize(count);
  return bytes;
}

// `path` as one word of a reader's command line.
inline std::string readerArgument(const std::string& path) { return shellQuote(commandPath(path)); }

// The properties of the one file in a 7z archive, as `7zz l -slt` lists
// them in UTC ("Path", "Size", "CRC", "Attributes", "Modified", "Created",
// "Method", ...). Fails the test when the archive does not list.
inline std::map<std::string, std::string> sevenZipEntry(const std::string& archive) {
  CommandResult listing = runCommand("TZ=UTC 7zz l -slt " + readerArgument(archive));
  EXPECT_EQ(listing.status, 0) << listing.output;
  std::map<std::string, std::string> entry;
  std::istringstream lines(listing.output);
  std::string line;
  bool inEntry = false;
  while (std::getline(lines, line)) {
    if (line == "----------") inEntry = true;
    size_t equals = line.find(" = ");
    if (inEntry && equals != std::string::npos)
      entry[line.substr(0, equals)] = line.substr(equals + 3);
  }
  return entry;
}

// Expects `7zz t` to accept the archive.
inline void expectSevenZipTests(const std::string& archive) {
  CommandResult test = runCommand("7zz t " + readerArgument(archive));
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("Everything is Ok"), std::string::npos) << test.output;
}

// Expects `unzip -tq` to accept the archive.
inline void expectZipTests(const std::string& archive) {
  CommandResult test = runCommand("unzip -tq " + readerArgument(archive));
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("No errors detected"), std::string::npos) << test.output;
}

// The bytes of the one file in a 7z archive, as 7zz extracts them.
inline std::string sevenZipContent(const std::string& archive) {
  return runCommand("7zz e -so -bso0 -bse0 -bsp0 " + readerArgument(archive)).output;
}

// The bytes of `member` extracted from a zip archive by unzip.
inline std::string unzipMember(const std::string& archive, const std::string& member) {
  return runCommand("unzip -p " + readerArgument(archive) + " " + shellQuote(member)).output;
}

// The line zipinfo gives the archive's one entry, with its time stamp in
// the form yyyymmdd.hhmmss, e.g. "-rw----  2.0 fat  65536 b- defN
// 20210615.102030 Box.lwo".
inline std::string zipinfoEntryLine(const std::string& archive) {
  CommandResult info = runCommand("zipinfo -T " + readerArgument(archive));
  EXPECT_EQ(info.status, 0) << info.output;
  std::istringstream lines(info.output);
  std::string line;
  std::getline(lines, line);  // "Archive: ..."
  std::getline(lines, line);  // "Zip file size: ..."
  std::getline(lines, line);
  return line;
}

// Returns the word at `index` (from 0) of a line, e.g. of zipinfo's.
inline std::string wordOf(const std::string& line, int index) {
  std::istringstream words(line);
  std::string w;
  for (int i = 0; i <= index; ++i) words >> w;
  return w;
}

// The archive comment, as unzip prints it (less the line end it adds).
inline std::string zipComment(const std::string& archive) {
  CommandResult comment = runCommand("unzip -zq " + readerArgument(archive));
  EXPECT_EQ(comment.status, 0) << comment.output;
  if (!comment.output.empty() && comment.output.back() == '\n') comment.output.pop_back();
  return comment.output;
}

// An archive writer over open files: writeZip or writeSevenZip.
using ArchiveWriter = int (*)(PlatformFile* source, const char* sourcePath, PlatformFile* archive,
                              int32_t compressionLevel, DigestState* digest);

// Runs `writer` from the file `source` into the file `archive`, created or
// emptied. Returns its result; 0 when a file cannot be opened or closed.
// writeSevenZip with its progress shown at the host's monitor.
inline int writeSevenZipShown(PlatformFile* source, const char* sourcePath, PlatformFile* archive,
                              int32_t compressionLevel, DigestState* digest) {
  return writeSevenZip(source, sourcePath, archive, compressionLevel, digest, &hostMonitorProgress);
}

inline int writeArchiveFile(ArchiveWriter writer, const std::string& source, const std::string& archive,
                            int32_t compressionLevel) {
  PlatformFile* in = platformOpenRead(source.c_str());
  PlatformFile* out = createOutputFile(archive);
  int written = in != nullptr && out != nullptr && writer(in, source.c_str(), out, compressionLevel, nullptr);
  written = finishOutputFile(out, archive) && written;
  platformClose(in);
  return written;
}

// An output stream into a string. Writes past `writeBudget` bytes in all
// are cut short; `seekFails` makes every seek fail.
struct MemoryOutStream {
  ISeekOutStream s;
  std::string bytes;
  size_t position = 0;
  size_t writeBudget = static_cast<size_t>(-1);
  bool seekFails = false;

  MemoryOutStream() {
    s.s.Write = write;
    s.Seek = seek;
  }

  static size_t write(ISeqOutStreamPtr p, const void* buf, size_t size) {
    MemoryOutStream* m = streamOf<MemoryOutStream>(p);
    size_t n = size < m->writeBudget ? size : m->writeBudget;
    m->writeBudget -= n;
    if (m->bytes.size() < m->position + n) m->bytes.resize(m->position + n);
    m->bytes.replace(m->position, n, static_cast<const char*>(buf), n);
    m->position += n;
    return n;
  }

  static SRes seek(const ISeekOutStream* p, Int64* pos, ESzSeek origin) {
    MemoryOutStream* m = streamOf<MemoryOutStream>(p);
    if (m->seekFails) return SZ_ERROR_WRITE;
    Int64 base = origin == SZ_SEEK_SET   ? 0
                 : origin == SZ_SEEK_CUR ? static_cast<Int64>(m->position)
                                         : static_cast<Int64>(m->bytes.size());
    m->position = static_cast<size_t>(base + *pos);
    *pos = static_cast<Int64>(m->position);
    return SZ_OK;
  }
};

// An input stream over a string that fails once `failAt` bytes have been
// delivered (never, by default). Keeps the thread that read last.
struct MemoryInStream {
  ISeqInStream s;
  std::string bytes;
  size_t position = 0;
  size_t failAt = static_cast<size_t>(-1);
  std::thread::id lastReader;

  explicit MemoryInStream(std::string data) : bytes(std::move(data)) { s.Read = read; }

  static SRes read(ISeqInStreamPtr p, void* buf, size_t* size) {
    MemoryInStream* m = streamOf<MemoryInStream>(p);
    m->lastReader = std::this_thread::get_id();
    size_t left = m->bytes.size() - m->position;
    size_t limit = m->failAt > m->position ? m->failAt - m->position : 0;
    size_t n = std::min(*size, std::min(left, limit));
    m->bytes.copy(static_cast<char*>(buf), n, m->position);
    m->position += n;
    *size = n;
    return (n == 0 && limit == 0 && left > 0) ? SZ_ERROR_READ : SZ_OK;
  }
};

}  // namespace qktest

#endif  // QK_TESTS_ARCHIVE_TEST_SUPPORT_H_
