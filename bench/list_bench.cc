// qk_list_bench: how long QK_RevKeeperOpen takes to show its panel for an
// object with 1,000 backups, against a bare listing of the same folders,
// measured in one run. See bench/README.md.
//
// The backup folders hold 1,000 backups of each of two configurations:
// incremental 7z and BAK zip, and incremental plain copies and BAK 7z (one
// real backup of each format, made by the save flow, copied under the
// other numbers). Each configuration is timed in turn: its 1,000 backups
// are listed, each is inspected for its time and size, and the panel is
// shown (and cancelled), while the 1,000 of the other configuration are
// passed over in the same folders.
#include <stdio.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "open/open_flow.h"
#include "open/open_panel.h"
#include "plugin/command.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_list_bench [--reps N] [--work DIR]\n"
    "  --reps N    rounds, at least 3 (default 5)\n"
    "  --work DIR  folder for the object and backups (default: a new one in /tmp, removed afterwards)\n";

constexpr int kPerKind = 500;  // backups of each kind: 1,000 listed per configuration

// One configuration of the two profiles, and how its backups are named.
struct Mix {
  const char* name;
  int32_t incrementalFormat, bakFormat;
  const char* incrementalPattern;  // printf pattern of an incremental backup's name
  const char* bakPattern;          // of a BAK backup's name
  std::vector<double> seconds;
};

double now() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void configure(const Mix& mix) {
  incrementalProfile().reset();
  incrementalProfile().nameFormat = mix.incrementalFormat;
  bakProfile().reset();
  bakProfile().nameFormat = mix.bakFormat;
}

// Makes backup 1 of `kind` by a save of the host's object, then copies it
// to the numbers 2 to kPerKind named by `pattern` in `folder`.
void makeBackups(qkhost::StandInHost& host, SaveKind kind,
                 const std::string& folder, const char* pattern) {
  acquireHostServices(host.globalFunction(), host.commandInterface(), 0, kHostTextCodePage);
  runSaveFlow(kind, 1, &hostMonitorProgress);
  char name[64];
  snprintf(name, sizeof name, pattern, 1);
  for (int number = 2; number <= kPerKind; ++number) {
    char copy[64];
    snprintf(copy, sizeof copy, pattern, number);
    fs::copy_file(folder + "/" + name, folder + "/" + copy, fs::copy_options::overwrite_existing);
  }
}

// Shows the panel for the host's object once (cancelled); returns the seconds.
double timeListing(qkhost::StandInHost& host) {
  host.clearRecords();
  host.queuePanelSession({qkhost::PanelAction::cancel()});
  double start = now();
  acquireHostServices(host.globalFunction(), host.commandInterface(), 1, kHostTextCodePage);
  runOpenFlow(&hostMonitorProgress);
  double seconds = now() - start;
  if (host.panels().size() != 1 ||
      host.panels()[0]->choices().at(kOpenBackupChoice).size() != 2 * kPerKind) {
    fprintf(stderr, "qk_list_bench: the panel did not list %d backups\n", 2 * kPerKind);
    exit(1);
  }
  return seconds;
}

// Lists both folders by name alone; returns the seconds.
double timeBareListing(const std::string& work) {
  double start = now();
  size_t names = 0;
  for (const char* folder : {"/.incr_save", "/.bak_save"})
    for (const fs::directory_entry& e : fs::directory_iterator(work + folder)) names += e.is_regular_file() ? 1 : 0;
  double seconds = now() - start;
  if (names != 4 * kPerKind) exit(1);
  return seconds;
}

int benchMain(int argc, char** argv) {
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, false, kUsage, &options)) return 2;
  std::string work = options.work.empty() ? makeWorkFolder("qk_list_bench") : options.work;
  if (work.empty()) return 1;
  std::string object = work + "/Object.lwo";
  std::string bytes = generateLwo(1 << 20);
  std::ofstream(object, std::ios::binary) << bytes;
  std::vector<Mix> mixes = {{"7z and zip", 7, 4, "Object_%03d.7z", "Object_bak%d.zip", {}},
                            {"copies and 7z", 0, 9, "Object_%03d.lwo", "Object.lwo.bak%d.7z", {}}};
  qkhost::StandInHost host;
  host.setObjectPath(object);
  host.setObjectBytes(bytes);
  host.setSaveResult(1);  // the host saves nothing: the object stays as the backups hold it
  firstActivation = 0;    // the profiles are set here, not from a settings file
  for (const Mix& mix : mixes) {
    configure(mix);
    makeBackups(host, IncrementalSave, work + "/.incr_save", mix.incrementalPattern);
    makeBackups(host, BakSave, work + "/.bak_save", mix.bakPattern);
  }
  std::vector<double> bare;
  for (int round = 0; round < options.reps; ++round) {
    for (Mix& mix : mixes) {
      configure(mix);
      mix.seconds.push_back(timeListing(host));
    }
    bare.push_back(timeBareListing(work));
  }
  printf("%d backups listed of %d in the folders, medians of %d rounds, milliseconds\n\n", 2 * kPerKind,
         4 * kPerKind, options.reps);
  printf("%-16s %10s %10s %10s %s\n", "case", "median", "slowest", "target", "");
  for (const Mix& mix : mixes) {
    double slowest = *std::max_element(mix.seconds.begin(), mix.seconds.end());
    printf("%-16s %10.1f %10.1f %10.1f %s\n", mix.name, median(mix.seconds) * 1e3, slowest * 1e3, 200.0,
           median(mix.seconds) <= 0.2 ? "met" : "MISSED");
  }
  printf("%-16s %10.2f  (the names of both folders alone)\n", "bare listing", median(bare) * 1e3);
  if (options.work.empty()) fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) { return qkbench::benchMain(argc, argv); }
