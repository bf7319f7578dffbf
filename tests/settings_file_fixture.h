// SettingsFileTest: the settings code linked into the test binary (its own
// profiles and host services), bound to a fresh stand-in host
// (settings_file_test.cc, and settings_file_posix_test.cc).
#ifndef QK_TESTS_SETTINGS_FILE_FIXTURE_H_
#define QK_TESTS_SETTINGS_FILE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "hostapi/host_services.h"
#include "tests/support/plugin_fixture.h"

namespace qktest {

// Binds the test binary's host services to the fixture's stand-in host.
class SettingsFileTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_EQ(acquireHostServices(host().globalFunction(), host().commandInterface(), 0, kHostTextCodePage), 1);
  }
  void TearDown() override {
    releaseHostServices();
    PluginTest::TearDown();
  }
  std::string settingsFile() const { return settingsDir() + "/qk_revkeeper.cfg"; }
};

}  // namespace qktest

#endif  // QK_TESTS_SETTINGS_FILE_FIXTURE_H_
