// qk_prune_bench: what pruning by age and size costs, and what history it
// keeps. See bench/README.md.
//
// 1. The decision among 20,000 7z backups of one object, with every keep
//    rule and the cap on, so that each backup's recorded time and file size
//    are read (revisePruning, deleting nothing), against Open Backup's
//    catalog of the same backups (catalogBackups), timed in the same run.
// 2. The worked example: 24 hours, 30 days, 52 weeks and a 5,000 MB cap for
//    a 60 MB object saved fifty times a day (every 12 minutes from 08:00)
//    for a year, by the real decision, for 7z High backups (at the ratio
//    the real writer reaches on an object made of the sample objects) and
//    for plain copies.
#include <stdio.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "backups/backup_catalog.h"
#include "backups/save_profile.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/host_progress.h"
#include "save/backup_namer.h"
#include "save/pruning.h"
#include "save/save_flow.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_prune_bench [--reps N] [--work DIR]\n"
    "  --reps N    rounds of the timed cases, at least 3 (default 5)\n"
    "  --work DIR  folder for the objects and backups (default: a new one in /tmp, removed afterwards)\n";

constexpr int kBackups = 20000;
constexpr uint64_t kMB = 1048576;
constexpr uint64_t kTicksPerMinute = 600000000ull;

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Sets the incremental profile to 7z High with the worked example's rules.
void configureWorkedExample() {
  SaveProfile& profile = incrementalProfile();
  profile.reset();
  profile.nameFormat = 7;
  profile.compressionLevel = 1;
  profile.keepHours = 24;
  profile.keepDays = 30;
  profile.keepWeeks = 52;
  profile.maxTotalMB = 5000;
  bakProfile().reset();
}

// Makes the first backup of `object` (holding `bytes`) by a save in
// `folder`'s .incr_save; returns its size in bytes.
uintmax_t backUpOnce(const std::string& folder, const std::string& object, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream(object, std::ios::binary) << bytes;
  qkhost::StandInHost host;
  host.setObjectPath(object);
  host.setObjectBytes(bytes);
  host.setSaveResult(1);  // the host saves nothing: the object stays as the backup holds it
  acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage);
  runSaveFlow(IncrementalSave, 1, &hostMonitorProgress);
  return fs::file_size(folder + "/.incr_save/Object_001.7z");
}

// The sample objects one after another, each once.
std::string sampleObjects() {
  std::string bytes;
  for (const fs::directory_entry& e : fs::directory_iterator(QK_SAMPLES_DIR)) {
    std::ifstream in(e.path(), std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    bytes += all.str();
  }
  return bytes;
}

// Times revisePruning and catalogBackups over kBackups copies of one 7z
// backup, round after round, and prints both and their ratio.
void benchDecision(const std::string& work, int reps) {
  const std::string folder = work + "/many", object = folder + "/Object.lwo";
  backUpOnce(folder, object, generateLwo(4096));
  const std::string first = folder + "/.incr_save/Object_001.7z";
  char name[64];
  for (int number = 2; number <= kBackups; ++number) {
    snprintf(name, sizeof name, "/.incr_save/Object_%03d.7z", number);
    fs::copy_file(first, folder + name, fs::copy_options::overwrite_existing);
  }
  std::vector<double> decision, catalog;
  for (int round = 0; round < reps; ++round) {
    BackupPlan plan;
    NamingRefusal refusal;
    double start = now();
    if (!planBackupFrom((folder + "/.incr_save").c_str(), "Object.lwo", incrementalProfile(), 1, &plan, &refusal) ||
        !revisePruning(object.c_str(), "Object.lwo", incrementalProfile(), false, &plan))
      exit(1);
    decision.push_back(now() - start);
    start = now();
    Catalog listed;
    catalogBackups(object.c_str(), &listed);
    catalog.push_back(now() - start);
    if (listed.entries.size() != static_cast<size_t>(kBackups) || !plan.prune.empty()) exit(1);
  }
  printf("pruning decision among %d 7z backups, medians of %d rounds, milliseconds\n\n", kBackups, reps);
  printf("%-40s %10.1f\n", "decision (times and sizes read)", median(decision) * 1e3);
  printf("%-40s %10.1f\n", "Open Backup's catalog", median(catalog) * 1e3);
  double ratio = median(decision) / median(catalog);
  printf("%-40s %10.2f  target <= 2.00 %s\n\n", "ratio", ratio, ratio <= 2.0 ? "met" : "MISSED");
}

// What a year of saves leaves.
struct History {
  size_t kept = 0;
  double reachDays = 0;
  uint64_t bytes = 0;
};

// Saves a `backupBytes` object fifty times a day for 365 days from a
// Monday, prunes after each save by the worked example's rules, and
// returns what stands after the last.
History simulateYear(uint64_t backupBytes) {
  struct tm start = {};
  start.tm_year = 2026 - 1900;
  start.tm_mon = 0;
  start.tm_mday = 5;  // a Monday
  start.tm_hour = 8;
  start.tm_isdst = -1;
  const uint64_t epoch = (static_cast<uint64_t>(mktime(&start)) + 11644473600ull) * 10000000ull;
  std::vector<BackupFacts> series;
  uint64_t previous = epoch - 24 * 60 * kTicksPerMinute;  // the object as it stood the day before
  uint64_t saveTime = epoch;
  int32_t number = 0;
  for (int day = 0; day < 365; ++day)
    for (int save = 0; save < 50; ++save) {
      saveTime = epoch + (static_cast<uint64_t>(day) * 24 * 60 + static_cast<uint64_t>(save) * 12) * kTicksPerMinute;
      series.push_back({++number, previous, backupBytes});  // the backup holds the state saved before
      previous = saveTime;
      std::vector<size_t> doomed;
      choosePrunes(series, incrementalProfile(), saveTime, &doomed);
      for (size_t i = doomed.size(); i-- > 0;) series.erase(series.begin() + static_cast<ptrdiff_t>(doomed[i]));
    }
  History history;
  history.kept = series.size();
  history.reachDays = static_cast<double>(saveTime - series.front().time) / (24.0 * 60 * kTicksPerMinute);
  for (const BackupFacts& b : series) history.bytes += b.bytes;
  return history;
}

void simulateWorkedExample(const std::string& work) {
  const std::string samples = sampleObjects();
  const uintmax_t archived = backUpOnce(work + "/ratio", work + "/ratio/Object.lwo", samples);
  const double ratio = static_cast<double>(archived) / static_cast<double>(samples.size());
  const uint64_t object = 60 * kMB;
  printf("worked example: 24 hours, 30 days, 52 weeks, 5,000 MB cap; a 60 MB object saved 50 times a day for a year\n");
  printf("7z High ratio measured on the %zu bytes of the sample objects: %.3f\n\n", samples.size(), ratio);
  printf("%-12s %12s %10s %14s %12s\n", "backups", "each (MB)", "kept", "reach (days)", "total (MB)");
  const struct {
    const char* name;
    uint64_t bytes;
  } kinds[] = {{"7z High", static_cast<uint64_t>(static_cast<double>(object) * ratio)}, {"plain copy", object}};
  for (const auto& kind : kinds) {
    History h = simulateYear(kind.bytes);
    printf("%-12s %12.1f %10zu %14.1f %12.1f\n", kind.name, static_cast<double>(kind.bytes) / kMB, h.kept,
           h.reachDays, static_cast<double>(h.bytes) / kMB);
  }
}

int benchMain(int argc, char** argv) {
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, false, kUsage, &options)) return 2;
  std::string work = options.work.empty() ? makeWorkFolder("qk_prune_bench") : options.work;
  if (work.empty()) return 1;
  configureWorkedExample();
  benchDecision(work, options.reps);
  simulateWorkedExample(work);
  if (options.work.empty()) fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) { return qkbench::benchMain(argc, argv); }
