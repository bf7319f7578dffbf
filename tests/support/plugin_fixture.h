// PluginTest: a test fixture that loads the real QK_RevKeeper.p into a
// fresh stand-in host, in a scratch folder of its own.
//
// Each load copies the plug-in file to a new name first, so every test (and
// every reload within one) starts from a newly loaded plug-in: first
// activation pending, profiles freshly constructed, as after the host starts.
#ifndef QK_TESTS_SUPPORT_PLUGIN_FIXTURE_H_
#define QK_TESTS_SUPPORT_PLUGIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/plugin_module.h"
#include "host/stand_in_host.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_platform.h"

namespace qktest {

// Names of the four servers.
inline constexpr char kIncrementalServer[] = "QK_RevKeeper";
inline constexpr char kConfigureServer[] = "QK_RevKeeperCfg";
inline constexpr char kBakServer[] = "QK_BakKeeper";
inline constexpr char kOpenServer[] = "QK_RevKeeperOpen";

// Returns the bytes of the named file, or "" when it cannot be read.
std::string readFile(const std::string& path);
// Writes `bytes` to `path`, replacing it; fails the test when it cannot.
void writeFile(const std::string& path, const std::string& bytes);
// Returns the bytes of a sample object from the shared samples folder.
std::string sampleObject(const std::string& name = "boxuv.lwo");
// Returns the names in `folder`, sorted; empty when it does not exist.
std::vector<std::string> listFolder(const std::string& folder);
// Returns every regular file below `folder` (links not followed) with its
// bytes, by path, leaving out the folder `except` (none when empty).
std::map<std::string, std::string> snapshotOf(const std::string& folder, const std::string& except = "");

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Unloads the plug-in (shutdown included) and loads a fresh copy into a
  // fresh host whose settings folder is settingsDir().
  void reload();

  // Activates `server` with `version` alone, or when none is given as the
  // host does (its highest version first, then lower ones); fails the test
  // if it does not exist.
  int32_t activate(const std::string& server, std::optional<int32_t> version = std::nullopt);

  // Writes an object file `name` in the scratch folder with `bytes` and
  // makes it the host's current object (bytes in memory too).
  std::string openObject(const std::string& name, const std::string& bytes);

  // Returns the messages shown so far as "info: text", "error: first | second"
  // or "question: title | first | second".
  std::vector<std::string> shownMessages() const;

  // Whether the host can hand the UTF-8 `text` to the plug-in as it is: any
  // text through interface 4; through interface 3 only one the code page
  // spells (a host of that generation has no other).
  bool hostCanHand(const std::string& text) const;
  // Returns `text`, as the last activation handed it to the host, in UTF-8:
  // decoded from the code page when that activation was of interface 3.
  std::string handedText(const std::string& text) const;

  const std::string& scratch() const { return scratch_; }
  std::string settingsDir() const { return inScratch("settings"); }
  // The path of `name` in the scratch folder.
  std::string inScratch(const std::string& name) const { return scratch_ + kSeparator + name; }
  qkhost::StandInHost& host() { return *host_; }
  qkhost::PluginModule& module() { return *module_; }

 private:
  // Fails the test when the current host saw a call the real host would
  // not understand.
  void expectNoProtocolErrors() const;

  std::unique_ptr<ScratchFolder> scratchFolder_;
  std::string scratch_;
  int loads_ = 0;
  std::unique_ptr<qkhost::PluginModule> module_;
  std::unique_ptr<qkhost::StandInHost> host_;
};

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_PLUGIN_FIXTURE_H_
