// qk_folder_bench: one save's listing, recognition and pruning in a large
// backup folder, against `find` over the same folder, at several folder
// sizes, all measured in one run. See bench/hardening/README.md.
//
// Each measured case is a process of its own, run through measure_child
// for its wall time and peak resident memory: `find`, and this program in
// its --namer mode, which makes one call of the backup namer.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "bench/bench_support.h"
#include "bench/process_run.h"
#include "save/backup_namer.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_folder_bench [--reps N] [--work DIR]\n"
    "  --reps N    repetitions of every case, at least 3 (default 5)\n"
    "  --work DIR  folder for the backup folders (default: a new one in /tmp, removed afterwards)\n";

constexpr int kLimit = 50;
const int kFolderSizes[] = {25000, 50000, 100000};  // a tenth of each are backups of Robot.lwo

std::string backupName(int number) {
  char name[32];
  snprintf(name, sizeof name, "Robot_%05d.lwo", number);
  return name;
}

void touch(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    perror(path.c_str());
    exit(1);
  }
  close(fd);
}

// Fills `folder` with `files` empty files: backups 1 to files / 10 of
// Robot.lwo, the rest other objects and images.
void fillFolder(const std::string& folder, int files) {
  fs::create_directories(folder);
  int backups = files / 10;
  touch(folder + "/Robot.lwo");  // the object
  for (int k = 1; k <= backups; ++k) touch(folder + "/" + backupName(k));
  for (int k = 0; k < files - backups; ++k) {
    char name[32];
    snprintf(name, sizeof name, k % 2 ? "Part%06d.lwo" : "img%06d.tga", k);
    touch(folder + "/" + name);
  }
}

// The --namer mode: the namer's work in one save with format 0 and
// `limit`: the plan, then (with a limit) the folder listed again as after
// the host's save, the object Robot.lwo told apart, and the pruning.
int runNamer(const char* folder, int limit) {
  SaveProfile profile;
  profile.maxFiles = static_cast<uint32_t>(limit);
  BackupPlan plan;
  const std::string object = std::string(folder) + "/Robot.lwo";
  NamingRefusal refusal;
  if (!planBackupFrom(folder, "Robot.lwo", profile, 1, &plan, &refusal) ||
      !revisePruning(object.c_str(), "Robot.lwo", profile, true, &plan))
    return 1;
  pruneBackups(plan);
  return 0;
}

struct Samples {
  std::vector<double> seconds;
  double peakMiB = 0;
  void add(const ProcessRun& run, const char* what) {
    if (run.status != 0) {
      fprintf(stderr, "%s failed (status %d)\n", what, run.status);
      exit(1);
    }
    seconds.push_back(run.seconds);
    peakMiB = std::max(peakMiB, run.peakRssMiB);
  }
};

struct SizeResult {
  int files;
  Samples idle, find, list, prune, remove;
};

// Measures every case at one folder size, round after round.
SizeResult measure(const std::string& work, const std::string& self, int files, int reps) {
  const std::string folder = work + "/backups-" + std::to_string(files);
  fillFolder(folder, files);
  const int pruned = files / 10 - (kLimit - 1);
  const std::string list = work + "/pruned-" + std::to_string(files);
  {
    std::ofstream out(list);
    for (int k = 1; k <= pruned; ++k) out << backupName(k) << '\n';
  }
  const std::string measurer = QK_MEASURE_CHILD_PATH;
  SizeResult r{files, {}, {}, {}, {}, {}};
  for (int rep = 0; rep < reps; ++rep) {
    r.idle.add(runProcess(measurer, {self, "--idle"}), "idle");
    r.find.add(runProcess(measurer, {"find", folder, "-maxdepth", "1", "-iname", "Robot*.lwo"}), "find");
    r.list.add(runProcess(measurer, {self, "--namer", folder, "0"}), "namer without limit");
    r.prune.add(runProcess(measurer, {self, "--namer", folder, std::to_string(kLimit)}), "namer with limit");
    for (int k = 1; k <= pruned; ++k) touch(folder + "/" + backupName(k));
    r.remove.add(runProcess(measurer, {"sh", "-c", "cd \"$0\" && xargs rm < \"$1\"", folder, list}), "rm");
    for (int k = 1; k <= pruned; ++k) touch(folder + "/" + backupName(k));
  }
  fs::remove_all(folder);
  return r;
}

void printRow(const char* name, const Samples& s, const Samples& idle, int files) {
  double net = median(s.seconds) - median(idle.seconds);
  printf("  %-44s %8.1f ms  (net %7.1f ms, %5.2f ms per 1000 files)  peak %6.1f MiB\n", name,
         median(s.seconds) * 1e3, net * 1e3, net * 1e6 / files, s.peakMiB);
}

void report(const SizeResult& r) {
  int backups = r.files / 10;
  printf("\n%d files, %d of them backups of Robot.lwo, limit %d (median of %zu):\n", r.files, backups,
         kLimit, r.find.seconds.size());
  printRow("process start and exit (this program, idle)", r.idle, r.idle, r.files);
  printRow("find -maxdepth 1 -iname 'Robot*.lwo'", r.find, r.idle, r.files);
  printRow("namer, no limit: list and recognise", r.list, r.idle, r.files);
  std::string pruning = "namer, limit 50: also deletes " + std::to_string(backups - kLimit + 1);
  printRow(pruning.c_str(), r.prune, r.idle, r.files);
  printRow("xargs rm of those files (deletion alone)", r.remove, r.idle, r.files);
  double listRatio = median(r.list.seconds) / median(r.find.seconds);
  double pruneRatio = (median(r.prune.seconds) - median(r.list.seconds)) /
                      (median(r.remove.seconds) - median(r.idle.seconds));
  printf("  namer without limit / find: %.2fx (target at most 2x: %s)\n", listRatio,
         listRatio <= 2 ? "met" : "MISSED");
  printf("  pruning (limit 50 less no limit) / rm of the same files, net: %.2fx\n", pruneRatio);
}

int benchMain(int argc, char** argv) {
  BenchOptions options;
  if (!parseBenchOptions(argc, argv, false, kUsage, &options)) return 2;
  int reps = options.reps;
  std::string work = options.work;
  bool temporary = work.empty();
  if (temporary) {
    work = makeWorkFolder("qk_folder_bench");
    if (work.empty()) return 1;
  }
  std::string self = fs::canonical("/proc/self/exe").string();
  printf("backup folder under %s\n", work.c_str());
  std::vector<SizeResult> results;
  for (int files : kFolderSizes) results.push_back(measure(work, self, files, reps));
  for (const SizeResult& r : results) report(r);
  if (temporary) fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace qkbench

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--idle") == 0) return 0;
  if (argc == 4 && strcmp(argv[1], "--namer") == 0) return qkbench::runNamer(argv[2], atoi(argv[3]));
  return qkbench::benchMain(argc, argv);
}
