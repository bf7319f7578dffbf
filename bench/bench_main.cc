// qk_bench: how fast the plug-in's backups are against what an artist
// would otherwise run, measured in one run on one generated object.
//
// Every case runs as a child process, in turn, for several repetitions;
// the medians are compared and each child's peak resident memory is shown.
// See bench/README.md.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_children.h"
#include "bench/bench_support.h"
#include "bench/lwo_generator.h"
#include "bench/process_run.h"

namespace fs = std::filesystem;

namespace qkbench {
namespace {

const char kUsage[] =
    "usage: qk_bench [--size MB] [--reps N] [--work DIR]\n"
    "  --size MB   size of the generated object in MiB (default 8)\n"
    "  --reps N    repetitions of every case, at least 5 (default 5)\n"
    "  --work DIR  folder for the object and the outputs (default: a new one in /tmp,\n"
    "              removed afterwards)\n";

struct Options {
  double sizeMiB = 8;
  int reps = 5;
  std::string work;
};

struct Case {
  std::string name;
  std::vector<std::string> argv;
  std::string output;      // the file the case writes; empty: it must write none
  std::vector<double> seconds;
  double peakRssMiB = 0;   // the largest of its repetitions
  uintmax_t outputBytes = 0;
};

struct Comparison {
  const char* subject;
  const char* baseline;
  double target;  // the largest ratio that meets the target; 0: shown only
};

const Comparison kComparisons[] = {
    {"plug-in copy", "cp", 1.10},
    {"plug-in copy", "cp, then sync", 0},
    {"plug-in zip Normal", "zip -6", 1.05},
    {"plug-in zip High", "zip -9", 1.05},
    {"plug-in 7z Normal", "bare LzmaEnc Normal", 1.05},
    {"plug-in 7z High", "bare LzmaEnc High", 1.05},
    {"plug-in 7z Normal", "7zz d=64k -mmt=1", 0},
    {"plug-in 7z Normal", "7zz d=64k -mmt=2", 1.05},
    {"plug-in 7z High", "7zz d=16m -mmt=1", 0},
    {"plug-in 7z High", "7zz d=16m -mmt=2", 1.05},
    {"plug-in 7z High, abort", "plug-in 7z High", 0},
};

const std::map<std::string, double> kMemoryLimitsMiB = {
    {"plug-in copy", 8}, {"plug-in zip Normal", 8}, {"plug-in zip High", 8},
    {"plug-in 7z Normal", 16}, {"plug-in 7z High", 220},
};

void appendLE32(std::string& bytes, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(v >> (8 * i)));
}

// A settings file choosing the incremental format and compression level;
// every other setting keeps its default.
void writeSettings(const std::string& folder, int32_t format, int32_t level) {
  std::string bytes = "INSV";
  appendLE32(bytes, 1);
  for (auto [tag, value] : {std::pair<const char*, int32_t>{"NMFM", format}, {"COMP", level}}) {
    bytes += tag;
    appendLE32(bytes, 4);
    appendLE32(bytes, static_cast<uint32_t>(value));
  }
  fs::create_directories(folder);
  std::ofstream(folder + "/qk_revkeeper.cfg", std::ios::binary) << bytes;
}

std::vector<Case> makeCases(const std::string& work, const std::string& self) {
  const std::string object = work + "/Object.lwo";
  const std::string backups = work + "/.incr_save/Object_001";
  std::vector<Case> cases;
  struct PluginCase {
    const char* name;
    int32_t format, level;
    const char* extension;
  } pluginCases[] = {
      {"plug-in copy", 0, 0, ".lwo"},      {"plug-in zip Normal", 4, 0, ".zip"},
      {"plug-in zip High", 4, 1, ".zip"},  {"plug-in 7z Normal", 7, 0, ".7z"},
      {"plug-in 7z High", 7, 1, ".7z"},
  };
  for (const PluginCase& p : pluginCases) {
    std::string settings = work + "/settings-" + std::to_string(p.format) + std::to_string(p.level);
    writeSettings(settings, p.format, p.level);
    cases.push_back({p.name, {self, "--plugin-backup", QK_PLUGIN_PATH, settings, object, "0"},
                     backups + p.extension, {}, 0, 0});
  }
  // Abort pressed at the monitor's second step (256 KiB in): the time to
  // start, stop the encoder and leave nothing behind.
  cases.push_back({"plug-in 7z High, abort",
                   {self, "--plugin-backup", QK_PLUGIN_PATH, work + "/settings-71", object, "2"}, "", {}, 0, 0});
  const std::string out = work + "/out";
  cases.push_back({"cp", {"cp", object, out + ".lwo"}, out + ".lwo", {}, 0, 0});
  // The plug-in flushes every backup to disk before it counts; cp does not.
  cases.push_back({"cp, then sync",
                   {"sh", "-c", "cp \"$0\" \"$1\" && sync -d \"$1\"", object, out + ".lwo"},
                   out + ".lwo", {}, 0, 0});
  for (const char* level : {"-6", "-9"})
    cases.push_back({std::string("zip ") + level, {"zip", "-q", level, out + ".zip", object},
                     out + ".zip", {}, 0, 0});
  for (const char* dictionary : {"64k", "16m"}) {
    for (const char* threads : {"-mmt=1", "-mmt=2"}) {
      cases.push_back({std::string("7zz d=") + dictionary + " " + threads,
                       {"7zz", "a", "-bd", std::string("-m0=LZMA:d=") + dictionary, threads,
                        out + ".7z", object},
                       out + ".7z", {}, 0, 0});
    }
  }
  for (const char* level : {"0", "1"}) {
    cases.push_back({std::string("bare LzmaEnc ") + (level[0] == '0' ? "Normal" : "High"),
                     {self, "--bare-encoder", level, object, out + ".lzma"}, out + ".lzma", {}, 0,
                     0});
  }
  return cases;
}

// Runs every case once; returns false when one failed.
bool runRound(std::vector<Case>& cases, const std::string& work) {
  for (Case& c : cases) {
    std::error_code ignored;
    fs::remove_all(work + "/.incr_save", ignored);
    fs::remove(c.output, ignored);
    ProcessRun run = runProcess(QK_MEASURE_CHILD_PATH, c.argv);
    bool wrongOutput = c.output.empty() ? fs::exists(work + "/.incr_save") && !fs::is_empty(work + "/.incr_save")
                                        : !fs::exists(c.output);
    if (run.status != 0 || wrongOutput) {
      fprintf(stderr, "qk_bench: %s failed (status %d)\n", c.name.c_str(), run.status);
      return false;
    }
    c.seconds.push_back(run.seconds);
    c.peakRssMiB = std::max(c.peakRssMiB, run.peakRssMiB);
    c.outputBytes = c.output.empty() ? 0 : fs::file_size(c.output);
  }
  return true;
}

const Case& find(const std::vector<Case>& cases, const std::string& name) {
  return *std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name == name; });
}

void printMachine(uintmax_t objectBytes, int reps) {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, model = "unknown";
  while (std::getline(cpuinfo, line))
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  struct utsname system;
  uname(&system);
  printf("machine: %s, %ld processors, %s %s\n", model.c_str(), sysconf(_SC_NPROCESSORS_ONLN),
         system.sysname, system.release);
  printf("object: %ju bytes (LWO2); %d repetitions, medians\n\n", objectBytes, reps);
}

void printReport(const std::vector<Case>& cases, uintmax_t objectBytes) {
  printf("%-22s %10s %10s %12s %8s %10s\n", "case", "median s", "min s", "output", "ratio",
         "peak MiB");
  for (const Case& c : cases) {
    printf("%-22s %10.3f %10.3f %12ju %8.3f %10.1f\n", c.name.c_str(), median(c.seconds),
           *std::min_element(c.seconds.begin(), c.seconds.end()), c.outputBytes,
           static_cast<double>(c.outputBytes) / static_cast<double>(objectBytes), c.peakRssMiB);
  }
  printf("\n%-22s %-22s %8s %8s\n", "time of", "against", "ratio", "target");
  for (const Comparison& k : kComparisons) {
    double ratio = median(find(cases, k.subject).seconds) / median(find(cases, k.baseline).seconds);
    if (k.target > 0) {
      printf("%-22s %-22s %8.3f %8.2f %s\n", k.subject, k.baseline, ratio, k.target,
             ratio <= k.target ? "met" : "MISSED");
    } else {
      printf("%-22s %-22s %8.3f %8s\n", k.subject, k.baseline, ratio, "-");
    }
  }
  printf("\n%-22s %10s %10s\n", "peak memory of", "MiB", "limit");
  for (const auto& [name, limit] : kMemoryLimitsMiB) {
    double peak = find(cases, name).peakRssMiB;
    printf("%-22s %10.1f %10.0f %s\n", name.c_str(), peak, limit, peak <= limit ? "met" : "MISSED");
  }
}

bool parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return false;
    if (a == "--size") {
      options->sizeMiB = atof(argv[++i]);
    } else if (a == "--reps") {
      options->reps = atoi(argv[++i]);
    } else if (a == "--work") {
      options->work = argv[++i];
    } else {
      return false;
    }
  }
  return options->sizeMiB > 0 && options->reps >= 5;
}

int runBenchmark(const Options& options) {
  std::string work = options.work;
  if (work.empty()) work = makeWorkFolder("qk_bench");
  if (work.empty()) return 1;
  fs::create_directories(work);
  std::ofstream(work + "/Object.lwo", std::ios::binary)
      << generateLwo(static_cast<size_t>(options.sizeMiB * 1048576));
  uintmax_t objectBytes = fs::file_size(work + "/Object.lwo");
  std::vector<Case> cases = makeCases(work, fs::read_symlink("/proc/self/exe").string());
  printMachine(objectBytes, options.reps);
  bool ok = true;
  for (int rep = 0; rep < options.reps && ok; ++rep) ok = runRound(cases, work);
  if (ok) printReport(cases, objectBytes);
  if (options.work.empty()) fs::remove_all(work);
  return ok ? 0 : 1;
}

}  // namespace

int runFromCommandLine(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, &options)) {
    fputs(kUsage, stderr);
    return 2;
  }
  return runBenchmark(options);
}

}  // namespace qkbench

int main(int argc, char** argv) {
  if (argc == 6 && strcmp(argv[1], "--plugin-backup") == 0)
    return qkbench::runPluginBackup(argv[2], argv[3], argv[4], atoi(argv[5]));
  if (argc == 5 && strcmp(argv[1], "--bare-encoder") == 0)
    return qkbench::runBareEncoder(atoi(argv[2]), argv[3], argv[4]);
  return qkbench::runFromCommandLine(argc, argv);
}
