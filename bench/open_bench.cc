// qk_open_bench: how fast the plug-in reads a backup back, against 7zz and
// unzip on the same archive, measured in one run. See bench/README.md.
//
// The archives are written once by the plug-in's own archive writer. Each
// round then extracts each of them as a child process, in turn: the
// plug-in's reader (this program, --extract) and the tool an artist would
// otherwise run. Every output is checked for the object's length.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/archive_file.h"
#include "archive/backup_reader.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "bench/process_run.h"
#include "platform/staged_file.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_open_bench [--zeros] [--size MB] [--reps N] [--work DIR]\n"
    "  --zeros     open a 7z High backup of 2 GiB of zeros instead, flushed, against\n"
    "              7zz x and a flush of the file it wrote (must come first)\n"
    "  --size MB   size of the generated object in MiB (default 8)\n"
    "  --reps N    rounds, at least 3 (default 5)\n"
    "  --work DIR  folder for the object, archives and outputs (default: a new one in /tmp,\n"
    "              removed afterwards)\n";

struct Case {
  std::string name;
  std::vector<std::string> argv;
  std::string output;  // the object file the case writes
  std::vector<double> seconds;
  double peakRssMiB = 0;
};

struct Comparison {
  const char* subject;
  const char* baseline;
  double target;
};

const std::vector<Comparison> kComparisons = {
    {"plug-in 7z High", "7zz x", 1.10},
    {"plug-in zip Normal", "unzip", 1.10},
};
const std::vector<Comparison> kZerosComparisons = {{"plug-in 7z High, flushed", "7zz x, then sync", 1.10}};
const uint64_t kZerosBytes = uint64_t(2) << 30;

// Writes `object` as the archive `archive` with the plug-in's archive
// writer at `level`. Returns true on success.
bool writeArchive(const std::string& object, const std::string& archive, int32_t level) {
  PlatformFile* in = platformOpenRead(object.c_str());
  std::string folder = fs::path(archive).parent_path().string();
  PlatformFile* out = createStagedFile(folder.c_str(), "Object", kPlatformStageNew);
  PlatformError error = kPlatformOk;
  bool ok = in != nullptr && out != nullptr &&
            archiveFile(in, object.c_str(), out, archive.c_str(), level, nullptr, &kNoArchiveProgress) &&
            platformPublish(out, archive.c_str(), &error);
  platformClose(out);
  platformClose(in);
  return ok;
}

std::vector<Case> makeCases(const std::string& work, const std::string& self) {
  const std::string sevenZip = work + "/Object_001.7z";
  const std::string zip = work + "/Object_002.zip";
  const std::string out = work + "/out";
  return {
      {"plug-in 7z High", {self, "--extract", sevenZip, out + "/Opened.lwo"}, out + "/Opened.lwo", {}, 0},
      {"7zz x", {"7zz", "x", "-bd", "-y", "-o" + out, sevenZip}, out + "/Object.lwo", {}, 0},
      {"plug-in zip Normal", {self, "--extract", zip, out + "/Opened.lwo"}, out + "/Opened.lwo", {}, 0},
      {"unzip", {"unzip", "-q", "-o", zip, "-d", out}, out + "/Object.lwo", {}, 0},
  };
}

// Runs every case once; returns false when one failed or wrote other than
// `objectBytes` bytes.
bool runRound(std::vector<Case>& cases, const std::string& work, uintmax_t objectBytes) {
  for (Case& c : cases) {
    fs::remove_all(work + "/out");
    fs::create_directories(work + "/out");
    ProcessRun run = runProcess(QK_MEASURE_CHILD_PATH, c.argv);
    std::error_code noSize;
    if (run.status != 0 || fs::file_size(c.output, noSize) != objectBytes) {
      fprintf(stderr, "qk_open_bench: %s failed (status %d)\n", c.name.c_str(), run.status);
      return false;
    }
    c.seconds.push_back(run.seconds);
    c.peakRssMiB = std::max(c.peakRssMiB, run.peakRssMiB);
  }
  return true;
}

void printReport(const std::vector<Case>& cases, const std::vector<Comparison>& comparisons, uintmax_t objectBytes,
                 int reps) {
  printf("object %ju bytes (LWO2), %d rounds\n\n", objectBytes, reps);
  printf("%-20s %10s %10s %10s\n", "case", "median s", "min s", "peak MiB");
  for (const Case& c : cases)
    printf("%-20s %10.3f %10.3f %10.1f\n", c.name.c_str(), median(c.seconds),
           *std::min_element(c.seconds.begin(), c.seconds.end()), c.peakRssMiB);
  printf("\n%-20s %-10s %8s %8s\n", "time of", "against", "ratio", "target");
  for (const Comparison& k : comparisons) {
    auto byName = [&](const char* name) {
      return *std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name == name; });
    };
    double ratio = median(byName(k.subject).seconds) / median(byName(k.baseline).seconds);
    printf("%-20s %-10s %8.3f %8.2f %s\n", k.subject, k.baseline, ratio, k.target,
           ratio <= k.target ? "met" : "MISSED");
  }
}

// Writes `bytes` zeros to the new file `path`. Returns true on success.
bool writeZeros(const std::string& path, uint64_t bytes) {
  std::ofstream file(path, std::ios::binary);
  const std::string block(1 << 20, '\0');
  for (uint64_t written = 0; file && written < bytes; written += block.size()) file << block;
  return static_cast<bool>(file);
}

// The 2 GiB of zeros: the plug-in's reader with its flush, against 7zz and
// a flush (coreutils' sync of the one file) of what it wrote.
int zerosMain(const BenchOptions& options, const std::string& work) {
  const std::string object = work + "/Zeros.lwo", archive = work + "/Zeros_001.7z", out = work + "/out";
  bool ok = writeZeros(object, kZerosBytes) && writeArchive(object, archive, 1);
  fs::remove(object);
  std::vector<Case> cases = {
      {"plug-in 7z High, flushed", {fs::read_symlink("/proc/self/exe").string(), "--extract-flushed", archive,
                                     out + "/Opened.lwo"}, out + "/Opened.lwo", {}, 0},
      {"7zz x, then sync", {"sh", "-c", "7zz x -bd -y -o\"$1\" \"$2\" >/dev/null && sync \"$1/Zeros.lwo\"", "sh", out,
                            archive}, out + "/Zeros.lwo", {}, 0},
  };
  for (int round = 0; ok && round < options.reps; ++round) ok = runRound(cases, work, kZerosBytes);
  if (ok) printReport(cases, kZerosComparisons, kZerosBytes, options.reps);
  return ok ? 0 : 1;
}

int benchMain(int argc, char** argv) {
  bool zeros = argc > 1 && strcmp(argv[1], "--zeros") == 0;
  if (zeros) --argc, ++argv;
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, true, kUsage, &options)) return 2;
  std::string work = options.work.empty() ? makeWorkFolder("qk_open_bench") : options.work;
  if (work.empty()) return 1;
  fs::create_directories(work);
  if (zeros) {
    int status = zerosMain(options, work);
    if (options.work.empty()) fs::remove_all(work);
    return status;
  }
  const std::string object = work + "/Object.lwo";
  std::ofstream(object, std::ios::binary) << generateLwo(static_cast<size_t>(options.sizeMiB * 1048576));
  uintmax_t objectBytes = fs::file_size(object);
  bool ok = writeArchive(object, work + "/Object_001.7z", 1) && writeArchive(object, work + "/Object_002.zip", 0);
  std::vector<Case> cases = makeCases(work, fs::read_symlink("/proc/self/exe").string());
  for (int round = 0; ok && round < options.reps; ++round) ok = runRound(cases, work, objectBytes);
  if (ok) printReport(cases, kComparisons, objectBytes, options.reps);
  if (options.work.empty()) fs::remove_all(work);
  return ok ? 0 : 1;
}

// The child: reads `backup` into a staged file published as `target`, as
// opening a backup does; flushed to disk before it is published only with
// `flush` (the tools of the first comparisons do not flush either).
// Returns 0 on success.
int extractChild(const char* backup, const char* target, bool flush) {
  std::string folder = fs::path(target).parent_path().string();
  PlatformFile* out = createStagedFile(folder.c_str(), "Opened", kPlatformStageNew);
  PlatformError error = kPlatformOk;
  bool ok = out != nullptr && extractBackup(backup, out, &kNoArchiveProgress) == kBackupReadOk && (!flush || platformSyncFile(out)) &&
            platformPublish(out, target, &error);
  ok = platformClose(out) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "--extract") == 0) return qkbench::extractChild(argv[2], argv[3], false);
  if (argc == 4 && strcmp(argv[1], "--extract-flushed") == 0) return qkbench::extractChild(argv[2], argv[3], true);
  return qkbench::benchMain(argc, argv);
}
