// qk_skip_bench: what "Skip Unchanged Saves" costs, against the backups it
// follows and against cp, measured in one run. See bench/README.md.
//
// Each round saves one generated object, unchanged, in each format through
// the save flow in this process, three ways: with the stand-in host's own
// save told to fail (the backup alone, as a save costs without the check),
// then with the host saving the same bytes, the switch off and on. A hook
// in the host marks the moment its save returns, so the check that follows
// it is timed on its own; cp of the object runs as a child process, and
// SHA-256 of the object's bytes in memory shows the floor of any check.
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/content_digest.h"
#include "backups/save_profile.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "bench/process_run.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_skip_bench [--size MB] [--reps N] [--work DIR]\n"
    "  --size MB   size of the generated object in MiB (default 8)\n"
    "  --reps N    rounds, at least 3 (default 5)\n"
    "  --work DIR  folder for the object and backups (default: a new one in /tmp, removed afterwards)\n";

// The seconds of one save: all of it, and the part after the host's save.
struct SaveTimes {
  double whole = 0, afterHostSave = 0;
};

struct Format {
  const char* name;
  int32_t nameFormat;
  std::vector<double> backup;             // the host's save fails: the backup alone
  std::vector<double> off, on;            // host saves the same bytes; the switch off, on
  std::vector<double> offAfter, onAfter;  // the part of off and on after the host's save
};

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Saves the object `bytes` unchanged, in `format`, in a new folder below
// `work` that already holds the backup folder, so that no case pays for
// creating it. Returns the times.
SaveTimes timeSave(const std::string& work, const std::string& bytes, int32_t format,
                   bool hostSaves, bool skipUnchanged) {
  std::string folder = work + "/save";
  fs::remove_all(folder);
  fs::create_directories(folder + "/.incr_save");
  std::string object = folder + "/Object.lwo";
  std::ofstream(object, std::ios::binary) << bytes;

  qkhost::StandInHost host;
  host.setObjectPath(object);
  host.setObjectBytes(bytes);
  if (!hostSaves) host.setSaveResult(1);
  double saved = 0;
  host.setAfterSave([&saved] { saved = now(); });
  SaveProfile& profile = incrementalProfile();
  profile.reset();
  profile.nameFormat = format;
  profile.compressionLevel = 0;
  profile.skipUnchanged = skipUnchanged;
  if (acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage) != 1) exit(1);
  double start = now();
  runSaveFlow(IncrementalSave, 1, &hostMonitorProgress);
  double end = now();
  size_t expectedMessages = hostSaves ? 0 : 1;  // "Failed to save file" when the host fails
  if (host.messages().size() != expectedMessages) {
    fprintf(stderr, "qk_skip_bench: format %d: the save showed a message\n", format);
    exit(1);
  }
  return {end - start, hostSaves ? end - saved : 0};
}

double timeCp(const std::string& work, const std::string& bytes) {
  std::string object = work + "/cp-source.lwo";
  std::ofstream(object, std::ios::binary) << bytes;
  ProcessRun run = runProcess(QK_MEASURE_CHILD_PATH, {"cp", object, work + "/cp-copy.lwo"});
  fs::remove(work + "/cp-copy.lwo");
  if (run.status != 0) exit(1);
  return run.seconds;
}

// Digests `bytes` in memory, in the pieces the check reads; returns the seconds.
double timeDigest(const std::string& bytes) {
  const size_t piece = 65536;
  double start = now();
  DigestState state;
  digestStart(&state);
  for (size_t at = 0; at < bytes.size(); at += piece)
    digestAdd(&state, bytes.data() + at, std::min(piece, bytes.size() - at));
  ContentDigest digest;
  digestFinish(&state, &digest);
  return now() - start;
}

// The baselines of one round: cp of the object, SHA-256 of its bytes.
struct Baselines {
  std::vector<double> cp, digest;
};

void runRound(const std::string& work, const std::string& bytes, std::vector<Format>* formats,
              Baselines* baselines) {
  for (Format& f : *formats) {
    f.backup.push_back(timeSave(work, bytes, f.nameFormat, false, false).whole);
    SaveTimes off = timeSave(work, bytes, f.nameFormat, true, false);
    SaveTimes on = timeSave(work, bytes, f.nameFormat, true, true);
    f.off.push_back(off.whole);
    f.offAfter.push_back(off.afterHostSave);
    f.on.push_back(on.whole);
    f.onAfter.push_back(on.afterHostSave);
  }
  baselines->cp.push_back(timeCp(work, bytes));
  baselines->digest.push_back(timeDigest(bytes));
}

void report(const std::vector<Format>& formats, const Baselines& baselines, size_t objectBytes,
            int rounds) {
  printf("object %zu bytes (LWO2), medians of %d rounds, milliseconds\n\n", objectBytes, rounds);
  printf("%-12s %10s %10s %10s %12s %12s\n", "format", "backup", "switch off", "switch on",
         "check after", "on - off");
  for (const Format& f : formats) {
    printf("%-12s %10.1f %10.1f %10.1f %12.1f %12.1f\n", f.name, median(f.backup) * 1e3,
           median(f.off) * 1e3, median(f.on) * 1e3,
           (median(f.onAfter) - median(f.offAfter)) * 1e3, (median(f.on) - median(f.off)) * 1e3);
  }
  double cpSeconds = median(baselines.cp);
  printf("%-12s %10.1f\n", "cp", cpSeconds * 1e3);
  printf("%-12s %10.1f  (SHA-256 of the bytes in memory)\n\n", "sha256", median(baselines.digest) * 1e3);
  printf("%-22s %-16s %8s %8s\n", "check after the save", "against", "ratio", "target");
  for (const Format& f : formats) {
    double check = median(f.onAfter) - median(f.offAfter);
    bool copy = f.nameFormat < 4;
    double against = copy ? cpSeconds : median(f.backup);
    double target = copy ? 1.5 : 0.1;
    double ratio = check / against;
    printf("%-22s %-16s %8.3f %8.2f %s\n", f.name, copy ? "cp" : "its backup", ratio, target,
           ratio <= target ? "met" : "MISSED");
  }
}

int benchMain(int argc, char** argv) {
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, true, kUsage, &options)) return 2;
  std::string work = options.work;
  bool temporary = work.empty();
  if (temporary) work = makeWorkFolder("qk_skip_bench");
  if (work.empty()) return 1;
  fs::create_directories(work);
  std::string bytes = generateLwo(static_cast<size_t>(options.sizeMiB * 1024 * 1024));
  std::vector<Format> formats = {{"copy", 0, {}, {}, {}, {}, {}},
                                 {"zip Normal", 4, {}, {}, {}, {}, {}},
                                 {"7z Normal", 7, {}, {}, {}, {}, {}}};
  Baselines baselines;
  for (int round = 0; round < options.reps; ++round) runRound(work, bytes, &formats, &baselines);
  report(formats, baselines, bytes.size(), options.reps);
  if (temporary) fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) { return qkbench::benchMain(argc, argv); }
