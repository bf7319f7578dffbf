// The stand-in host's checks when it loads a plug-in file.
#include <gtest/gtest.h>

#include <string>

#include "host/plugin_module.h"
#include "tests/support/test_platform.h"

namespace qktest {
namespace {

TEST(PluginModuleTest, RefusesFilesThatAreNotPlugins) {
  struct Case {
    const char* path;
    const char* expected;  // part of the error message
  } errors[] = {
      {"/nonexistent/QK_RevKeeper.p", "cannot load"},
      {"/etc/hostname", "cannot load"},
      {FAKE_sync_PATH, "not a plug-in: bad synchronisation word 0x1234"},
      {FAKE_version_PATH, "not a plug-in: module interface version 4660"},
      {FAKE_machine_PATH, "not a plug-in: machine type 0x1234"},
  };
  for (const Case& c : errors) {
    std::string error;
    EXPECT_EQ(qkhost::PluginModule::load(c.path, &error), nullptr) << c.path;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.path << ": " << error;
  }
}

TEST(PluginModuleTest, RefusesALibraryWithoutDescriptor) {
  std::string error;
  // Any shared library without the symbol: a system library is always there.
  EXPECT_EQ(qkhost::PluginModule::load(kSystemLibrary, &error), nullptr);
  EXPECT_NE(error.find("no _mod_descrip symbol"), std::string::npos) << error;
}

TEST(PluginModuleTest, LoadsThePlugin) {
  std::string error;
  auto module = qkhost::PluginModule::load(QK_PLUGIN_PATH, &error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_NE(module->findServer("QK_BakKeeper"), nullptr);
  EXPECT_EQ(module->findServer("QK_Missing"), nullptr);
}

}  // namespace
}  // namespace qktest
