// Fuzz target: the backup namer over any folder and any profile values a
// settings file can hold.
//
// The input is text, one item a line:
//   1. integers: profile (even: incremental, odd: BAK), name format,
//      digits, limit, use-global-name, folder (0 short, 1 about 250
//      characters, 2 about 500); any values, missing ones 0
//   2. the global BAK name; "!" alone for none
//   3. the object's file name (".lwo" is added when it does not end so)
//   4. and on: names in the backup folder; "/name" makes a folder
// Checked on every call, against the rules as backup_name_oracle states
// them: the result or its absence is the one the rules give; nothing is
// deleted by a failing call, nor any folder, pinned or unrecognised file
// ever;
// pruning leaves one fewer than the limit and takes the lowest numbers;
// the result names no file that is left. Then the result is created and
// the namer called again (no limit), so every name it forms must be
// recognised by the next call.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "fuzz/backup_name_oracle.h"
#include "fuzz/scratch_folder.h"
#include "save/backup_namer.h"

namespace {

constexpr size_t kMaxEntries = 64;
constexpr size_t kFolderLengths[3] = {0, 250, 500};  // 0: as short as the scratch folder allows

struct Input {
  bool bak = false;
  int32_t format = 0, digits = 0, useGlobalName = 0;
  uint32_t maxFiles = 0;
  size_t folder = 0;
  std::optional<std::string> globalName;
  std::string object;
  std::vector<std::string> files, folders;
};

// Makes `path` and the folders above it that are missing.
void makeFolders(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
    mkdir(path.substr(0, at).c_str(), 0700);
  if (mkdir(path.c_str(), 0700) != 0) abort();
}

// The three backup folders, each below its own branch of the scratch
// folder, padded with levels of up to 200 characters to its length.
const std::vector<std::string>& folders() {
  static const std::vector<std::string> made = [] {
    std::string root = qkfuzz::makeScratchFolder("qk_fuzz_namer");
    std::vector<std::string> paths;
    for (size_t i = 0; i < 3; ++i) {
      std::string path = root + "/" + std::to_string(i);
      while (path.size() + 2 <= kFolderLengths[i])
        path += "/" + std::string(std::min<size_t>(200, kFolderLengths[i] - path.size() - 1), 'd');
      makeFolders(path);
      paths.push_back(path);
    }
    return paths;
  }();
  return made;
}

bool endsWithLwo(const std::string& name) {
  return name.size() >= 4 && qkfuzz::foldAscii(name.substr(name.size() - 4)) == ".lwo";
}

// A name the folder can hold: no separator or zero byte, not "." or "..",
// 1 to 255 bytes.
bool isStorableName(const std::string& name) {
  return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

Input parse(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  Input input;
  std::getline(in, line);
  std::istringstream numbers(line);
  long long values[6] = {0, 0, 0, 0, 0, 0};
  for (long long& v : values)
    if (!(numbers >> v)) break;
  input.bak = (values[0] & 1) != 0;
  input.format = static_cast<int32_t>(values[1]);
  input.digits = static_cast<int32_t>(values[2]);
  input.maxFiles = static_cast<uint32_t>(values[3]);
  input.useGlobalName = static_cast<int32_t>(values[4]);
  input.folder = static_cast<size_t>(static_cast<unsigned long long>(values[5]) % 3);
  if (std::getline(in, line) && line != "!") input.globalName = line.c_str();  // the profile keeps a C string
  std::getline(in, input.object);
  std::replace_if(input.object.begin(), input.object.end(),
                  [](char c) { return c == '/' || c == '\\' || c == '\0'; }, '_');
  if (!endsWithLwo(input.object)) input.object += ".lwo";
  while (std::getline(in, line) && input.files.size() + input.folders.size() < kMaxEntries) {
    bool isFolder = !line.empty() && line[0] == '/';
    std::string name = isFolder ? line.substr(1) : line;
    if (isStorableName(name)) (isFolder ? input.folders : input.files).push_back(name);
  }
  return input;
}

void check(bool holds, const char* what, const std::string& detail = "") {
  if (holds) return;
  fprintf(stderr, "namer fuzzer: %s %s\n", what, detail.c_str());
  abort();
}

// Returns the name the backups are named after, or nullopt when the
// profile's global name is in use but cannot name files.
std::optional<std::string> nameOfSeries(const Input& in) {
  if (!in.bak || in.useGlobalName == 0) {
    if (in.object.size() > 259) return std::nullopt;
    return in.object;
  }
  if (!in.globalName || in.globalName->empty() || in.globalName->size() > 255) return std::nullopt;
  for (char c : *in.globalName)
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
  if (in.globalName->find_first_of("/\\:*?\"<>|") != std::string::npos) return std::nullopt;
  return *in.globalName + ".lwo";
}

// A recognised backup in the folder before the call.
struct Found {
  std::string name;
  int32_t number;
};

// What the rules say one call does.
struct Expected {
  std::optional<std::string> result;  // the path, or nullopt for a failing call
  std::vector<Found> backups;         // every recognised backup
};

Expected expect(const Input& in, const std::string& folder, const qkfuzz::FolderListing& before) {
  Expected e;
  std::optional<std::string> name = nameOfSeries(in);
  std::optional<qkfuzz::BackupSeries> series;
  if (name) series = qkfuzz::seriesOf(in.format, in.bak, *name);
  if (!series) return e;
  int32_t highest = 0;
  bool pathTooLong = folder.size() + 1 + qkfuzz::searchPatternLength(*series) > BACKUP_PATH_UNITS;
  for (const std::string& file : before.files) {
    std::optional<int32_t> number = qkfuzz::backupNumber(*series, file);
    if (!number) {  // a pinned backup keeps its number from being taken again
      highest = std::max(highest, qkfuzz::pinnedBackupNumber(*series, file).value_or(0));
      continue;
    }
    highest = std::max(highest, *number);
    e.backups.push_back({file, *number});
    if (in.maxFiles != 0 && folder.size() + 1 + file.size() > BACKUP_PATH_UNITS) pathTooLong = true;
  }
  if (pathTooLong || highest == INT32_MAX) return e;
  const int64_t width = std::max<int32_t>(in.digits, 1);
  const int64_t nameLength = qkfuzz::backupFileNameLength(*series, width, highest + 1);
  if (nameLength > 255 || static_cast<int64_t>(folder.size()) + 1 + nameLength > BACKUP_PATH_UNITS) return e;
  e.result = folder + "/" + qkfuzz::backupFileName(*series, width, highest + 1);
  return e;
}

SaveProfile& apply(const Input& in) {
  SaveProfile& profile = in.bak ? static_cast<SaveProfile&>(bakProfile()) : incrementalProfile();
  profile.nameFormat = in.format;
  profile.digits = in.digits;
  profile.maxFiles = in.maxFiles;
  if (in.bak) {
    bakProfile().useGlobalName = in.useGlobalName;
    bakProfile().globalName.assign(in.globalName ? in.globalName->c_str() : nullptr);
  }
  return profile;
}

// Checks what pruning removed against the recognised backups.
void checkPruning(const Input& in, const Expected& e, const qkfuzz::FolderListing& after,
                  const std::vector<std::string>& deleted) {
  size_t keep = in.maxFiles == 0 ? e.backups.size() : std::min<size_t>(e.backups.size(), in.maxFiles - 1);
  check(deleted.size() == e.backups.size() - keep, "pruned the wrong number of backups",
        std::to_string(deleted.size()));
  int32_t highestDeleted = INT32_MIN, lowestKept = INT32_MAX;
  for (const Found& f : e.backups) {
    if (after.files.count(f.name) == 0)
      highestDeleted = std::max(highestDeleted, f.number);
    else
      lowestKept = std::min(lowestKept, f.number);
  }
  check(highestDeleted <= lowestKept, "pruned a backup newer than one it kept");
}

// Calls the namer once for `in` over the current folder and checks it.
// Returns its result.
std::optional<std::string> callAndCheck(const Input& in, const std::string& folder) {
  const qkfuzz::FolderListing before = qkfuzz::listFolder(folder);
  const Expected e = expect(in, folder, before);
  BackupPlan plan;
  const char* got = nullptr;
  NamingRefusal refusal;
  if (planBackupFrom(folder.c_str(), in.object.c_str(), apply(in), 1, &plan, &refusal)) {
    pruneBackups(plan);
    got = plan.path.c_str();
  }
  const qkfuzz::FolderListing after = qkfuzz::listFolder(folder);

  check(after.folders == before.folders, "a folder came or went");
  std::vector<std::string> deleted;
  for (const std::string& file : before.files)
    if (after.files.count(file) == 0) deleted.push_back(file);
  check(deleted.size() + after.files.size() == before.files.size(), "a file appeared");
  for (const std::string& name : deleted) {
    bool recognised = std::any_of(e.backups.begin(), e.backups.end(),
                                  [&](const Found& f) { return f.name == name; });
    check(recognised, "deleted a file that is no backup:", name);
  }
  check((got != nullptr) == e.result.has_value(),
        got ? "answered where it should fail:" : "failed where it should answer:",
        got ? got : e.result.value_or("").c_str());
  if (got == nullptr) {
    check(deleted.empty(), "a failing call deleted", deleted.empty() ? "" : deleted[0]);
    return std::nullopt;
  }
  check(*e.result == got, "formed the wrong name:", std::string(got) + " instead of " + *e.result);
  std::string fileName = e.result->substr(folder.size() + 1);
  for (const std::string& file : after.files)
    check(qkfuzz::foldAscii(file) != qkfuzz::foldAscii(fileName), "the next name is taken by", file);
  checkPruning(in, e, after, deleted);
  return e.result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in = parse(data, size);
  const std::string& folder = folders()[in.folder];
  qkfuzz::emptyFolder(folder);
  for (const std::string& name : in.files) qkfuzz::writeFile(folder + "/" + name, "");
  for (const std::string& name : in.folders) mkdir((folder + "/" + name).c_str(), 0700);

  std::optional<std::string> first = callAndCheck(in, folder);
  // A folder of the planned name is no backup: the second call names past it.
  struct stat status;
  if (!first || stat(first->c_str(), &status) == 0) return 0;
  qkfuzz::writeFile(*first, "");
  in.maxFiles = 0;
  callAndCheck(in, folder);
  return 0;
}
