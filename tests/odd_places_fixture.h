// OddPlacesTest: incremental saves of one object, driven in-process, in
// odd backup folders and with odd names (odd_places_test.cc, and
// odd_places_posix_test.cc for what only POSIX allows).
#ifndef QK_TESTS_ODD_PLACES_FIXTURE_H_
#define QK_TESTS_ODD_PLACES_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "backups/save_profile.h"
#include "host/stand_in_host.h"
#include "hostapi/host_services.h"
#include "plugin/host_progress.h"
#include "save/save_flow.h"
#include "tests/archive_test_support.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {

// A scratch folder, a host, and incremental saves of one object in it with
// format `format`, a limit of `limit` and the backup folder `directory`
// (relative to the object's folder, or absolute).
class OddPlacesTest : public ::testing::Test {
 public:
  void configure(int32_t format, uint32_t limit, const std::string& directory = ".incr_save") {
    SaveProfile& profile = incrementalProfile();
    profile.reset();
    profile.nameFormat = format;
    profile.maxFiles = limit;
    profile.compressionLevel = 0;
    profile.directory.assign(directory.c_str());
    profile.directoryMode = classifyDirectory(directory.c_str());
  }

  // Makes `relative` (below the scratch folder) the object, holding `bytes`.
  std::string openObject(const std::string& relative, const std::string& bytes) {
    std::string path = scratch_.path() + kSeparator + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, bytes);
    host_.setObjectPath(path);
    return path;
  }

  // One save (incremental unless `kind` says); returns the messages shown,
  // "first | second".
  std::vector<std::string> save(const std::string& nextState = "next state", SaveKind kind = IncrementalSave) {
    host_.clearRecords();
    host_.setObjectBytes(nextState);
    EXPECT_EQ(acquireHostServices(host_.globalFunction(), host_.commandInterface(), 0, kHostTextCodePage), 1);
    runSaveFlow(kind, 1, &hostMonitorProgress);
    std::vector<std::string> shown;
    for (const qkhost::HostMessage& m : host_.messages())
      shown.push_back(m.firstLine + (m.secondLine ? " | " + *m.secondLine : ""));
    return shown;
  }

  const std::string& scratch() const { return scratch_.path(); }
  // The path of `name` in the scratch folder.
  std::string inScratch(const std::string& name) const { return scratch() + kSeparator + name; }
  qkhost::StandInHost& host() { return host_; }

 private:
  ScratchFolder scratch_{"qk_odd"};
  qkhost::StandInHost host_;
};

// Expects the backup `path` in `format` to hold `bytes`, as the file itself
// or as its archive's one entry.
inline void expectBackupHolds(const std::string& path, int32_t format, const std::string& bytes) {
  std::string held = format < 4   ? readFile(path)
                     : format < 7 ? unzipMember(path, "*")  // the one entry
                                  : sevenZipContent(path);
  EXPECT_TRUE(held == bytes) << path << " holds " << held.size() << " bytes, not " << bytes.size();
}

inline constexpr char kMakeSave[] = "Failed to make incremental save, object not saved";
inline constexpr char kCompressedSave[] = "Failed to make compressed incremental save, object not saved";

// A name whose lookalike a glob or case folding would take for one of its
// backups.
struct OddName {
  const char* object;
  const char* lookalike;
};

// Saves the object `c.object` twice in the folder `folder` (below the
// scratch folder) in `format` with a limit of 1, beside its lookalike:
// the lookalike is neither counted nor pruned.
inline void expectOwnSeries(OddPlacesTest& test, const OddName& c, int32_t format, const std::string& folder) {
  namespace fs = std::filesystem;
  SCOPED_TRACE(std::string(c.object) + ", format " + std::to_string(format));
  test.configure(format, 1);
  std::string object = test.openObject(folder.substr(test.scratch().size() + 1) + kSeparator + c.object, "state 0");
  std::string backups = folder + kSeparator + ".incr_save";
  fs::create_directories(backups);
  writeFile(backups + kSeparator + c.lookalike, "not a backup");
  ASSERT_EQ(test.save("state 1"), std::vector<std::string>{});
  writeFile(object, "state 1");
  ASSERT_EQ(test.save("state 2"), std::vector<std::string>{});
  std::vector<std::string> left = listFolder(backups);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_NE(std::find(left.begin(), left.end(), c.lookalike), left.end());
  std::string stem = fs::path(c.object).stem().string() == ".lwo" ? "" : fs::path(c.object).stem().string();
  std::string second = stem + "_002" + (format == 0 ? ".lwo" : format == 4 ? ".zip" : ".7z");
  EXPECT_NE(std::find(left.begin(), left.end(), second), left.end()) << "the second backup replaced the first";
  expectBackupHolds(backups + kSeparator + second, format, "state 1");
}

}  // namespace qktest

#endif  // QK_TESTS_ODD_PLACES_FIXTURE_H_
