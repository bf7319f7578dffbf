// qk_sync_bench: what it costs to have each backup on stable storage before
// the host saves, against the whole backup, measured in one run. See
// bench/hardening/README.md.
//
// Each round makes one incremental backup per format through the save flow
// in this process (the stand-in host's own save is told to fail, so only
// the backup is timed), then writes the same bytes again without flushing
// and times the two flushes alone: the file's data, then its folder.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_sync_bench [--size MB] [--reps N] [--work DIR]\n"
    "  --size MB   size of the generated object in MiB (default 8)\n"
    "  --reps N    rounds, at least 3 (default 5)\n"
    "  --work DIR  folder for the object and backups (default: a new one in /tmp, removed afterwards)\n";

struct Format {
  const char* name;
  int32_t nameFormat;
  const char* extension;
  std::vector<double> save, fileFlush, folderFlush;
};

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes one backup of `object` in the format; returns the seconds it took.
double timeBackup(qkhost::StandInHost& host, const Format& format) {
  incrementalProfile().reset();
  incrementalProfile().nameFormat = format.nameFormat;
  incrementalProfile().compressionLevel = 0;
  if (acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage) != 1) exit(1);
  double start = now();
  runSaveFlow(IncrementalSave, 1, &hostMonitorProgress);
  return now() - start;
}

// Writes `bytes` to a new file in a new folder `folder` without flushing,
// then times fsync of the file and of the folder.
void timeFlushes(const std::string& folder, const std::string& bytes, Format* format) {
  fs::create_directories(folder);
  std::string path = folder + "/again" + format->extension;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) exit(1);
  double start = now();
  if (fsync(fd) != 0) exit(1);
  format->fileFlush.push_back(now() - start);
  close(fd);
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  start = now();
  if (dir < 0 || fsync(dir) != 0) exit(1);
  format->folderFlush.push_back(now() - start);
  close(dir);
}

void runRound(const std::string& work, const std::string& objectBytes, int round, std::vector<Format>* formats) {
  for (Format& format : *formats) {
    std::string folder = work + "/round" + std::to_string(round) + "-" + std::to_string(format.nameFormat);
    fs::create_directories(folder);
    std::string object = folder + "/Object.lwo";
    std::ofstream(object, std::ios::binary) << objectBytes;
    qkhost::StandInHost host;
    host.setObjectPath(object);
    host.setSaveResult(1);  // only the backup is made
    format.save.push_back(timeBackup(host, format));
    std::string backup = folder + "/.incr_save/Object_001" + format.extension;
    std::string bytes = readAll(backup);
    if (bytes.empty()) exit(1);
    timeFlushes(folder + "/again", bytes, &format);
    fs::remove_all(folder);
  }
}

void report(const std::vector<Format>& formats, size_t objectBytes, size_t rounds) {
  printf("object %zu bytes, median of %zu rounds\n", objectBytes, rounds);
  printf("  %-14s %12s %14s %14s %14s\n", "backup", "whole backup", "file flush", "folder flush",
         "both / backup");
  for (const Format& f : formats) {
    double save = median(f.save), file = median(f.fileFlush), folder = median(f.folderFlush);
    printf("  %-14s %9.1f ms %11.1f ms %11.2f ms %13.0f %%\n", f.name, save * 1e3, file * 1e3,
           folder * 1e3, (file + folder) / save * 100);
  }
}

int benchMain(int argc, char** argv) {
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, true, kUsage, &options)) return 2;
  double sizeMiB = options.sizeMiB;
  int reps = options.reps;
  std::string work = options.work;
  bool temporary = work.empty();
  if (temporary) {
    work = makeWorkFolder("qk_sync_bench");
    if (work.empty()) return 1;
  }
  std::string objectBytes = generateLwo(static_cast<size_t>(sizeMiB * 1024 * 1024));
  std::vector<Format> formats = {
      {"copy", 0, ".lwo", {}, {}, {}}, {"zip Normal", 4, ".zip", {}, {}, {}}, {"7z Normal", 7, ".7z", {}, {}, {}}};
  printf("work folder %s\n", work.c_str());
  for (int round = 0; round < reps; ++round) runRound(work, objectBytes, round, &formats);
  report(formats, objectBytes.size(), static_cast<size_t>(reps));
  if (temporary) fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) { return qkbench::benchMain(argc, argv); }
