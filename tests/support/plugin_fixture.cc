#include "tests/support/plugin_fixture.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"

namespace fs = std::filesystem;

namespace qktest {

std::string readFile(const std::string& path) {
  std::ifstream file(fs::u8path(path), std::ios::binary);
  std::ostringstream bytes;  // in blocks: a character at a time is slow in the sanitizer build
  if (file) bytes << file.rdbuf();
  return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(fs::u8path(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "cannot write " << path;
}

std::string sampleObject(const std::string& name) {
  std::string bytes = readFile(std::string(QK_SAMPLES_DIR) + "/" + name);
  EXPECT_FALSE(bytes.empty()) << "sample object " << name << " is missing";
  return bytes;
}

std::vector<std::string> listFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fs::u8path(folder), error))
    names.push_back(entry.path().filename().u8string());
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> snapshotOf(const std::string& folder, const std::string& except) {
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(fs::u8path(folder)))
    if (e.is_regular_file() && !e.is_symlink() && e.path().parent_path() != fs::u8path(except))
      files[e.path().u8string()] = readFile(e.path().u8string());
  return files;
}

namespace {

// The highest interface version the tests' hosts speak: 3 when the
// environment's QK_TEST_INTERFACE says so, to run the suite as a host of
// that generation; else 4, as today's host.
int32_t suiteInterface() {
  const char* chosen = getenv("QK_TEST_INTERFACE");
  return chosen != nullptr && strcmp(chosen, "3") == 0 ? HOST_INTERFACE_CODE_PAGE : HOST_INTERFACE_UTF8;
}

}  // namespace

void PluginTest::SetUp() {
  scratchFolder_ = std::make_unique<ScratchFolder>();
  scratch_ = scratchFolder_->path();
  fs::create_directories(settingsDir());
  reload();
}

void PluginTest::TearDown() {
  expectNoProtocolErrors();
  module_.reset();
  host_.reset();
  scratchFolder_.reset();
}

void PluginTest::reload() {
  module_.reset();  // shutdown and unload before the next load
  expectNoProtocolErrors();
  host_ = std::make_unique<qkhost::StandInHost>();
  host_->setInterface(suiteInterface());
  host_->setFolder(HOST_FOLDER_SETTINGS, settingsDir());
  std::string copy = inScratch("QK_RevKeeper." + std::to_string(++loads_) + ".p");
  fs::copy_file(QK_PLUGIN_PATH, copy, fs::copy_options::overwrite_existing);
  std::string error;
  module_ = qkhost::PluginModule::load(copy, &error);
  ASSERT_NE(module_, nullptr) << error;
}

void PluginTest::expectNoProtocolErrors() const {
  if (host_ == nullptr) return;
  EXPECT_EQ(host_->protocolErrors(), std::vector<std::string>{}) << "the plug-in broke the host's protocol";
}

int32_t PluginTest::activate(const std::string& server, std::optional<int32_t> version) {
  std::optional<int32_t> result = host_->activate(*module_, server, version);
  EXPECT_TRUE(result.has_value()) << "no server " << server;
  return result.value_or(-1);
}

std::string PluginTest::openObject(const std::string& name, const std::string& bytes) {
  std::string path = inScratch(name);
  fs::create_directories(fs::path(path).parent_path());
  writeFile(path, bytes);
  host_->setObjectPath(path);
  host_->setObjectBytes(bytes);
  return path;
}

bool PluginTest::hostCanHand(const std::string& text) const {
  return host_->highestInterface() >= HOST_INTERFACE_UTF8 || !codePageText(text).empty();
}

std::string PluginTest::handedText(const std::string& text) const {
  const std::vector<qkhost::Activation>& activations = host_->activations();
  std::string utf8;
  bool inCodePage = !activations.empty() && activations.back().version == HOST_INTERFACE_CODE_PAGE;
  return inCodePage && platformCodePageToUtf8(text.c_str(), &utf8) ? utf8 : text;
}

std::vector<std::string> PluginTest::shownMessages() const {
  std::vector<std::string> shown;
  for (const qkhost::HostMessage& m : host_->messages()) {
    switch (m.kind) {
      case qkhost::HostMessage::Info: shown.push_back("info: " + m.firstLine); break;
      case qkhost::HostMessage::Error:
        shown.push_back("error: " + m.firstLine + (m.secondLine ? " | " + *m.secondLine : ""));
        break;
      case qkhost::HostMessage::Question:
        shown.push_back("question: " + m.title + " | " + m.firstLine + " | " +
                        m.secondLine.value_or(""));
        break;
    }
  }
  return shown;
}

}  // namespace qktest
