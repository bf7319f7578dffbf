// Fuzz target: any bytes as the settings file qk_revkeeper.cfg.
//
// Each run starts as a freshly loaded plug-in would: the bytes are written
// as the settings file, the first activation loads them through the real
// path, then both save commands run over the profiles they gave and the
// options panel is confirmed. Checked on every run:
//  - a save command either has the host save the object or stops with an
//    error that ends "object not saved";
//  - what the panel leaves in the profiles reads back identically from the
//    settings file on the next first activation.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "backups/save_profile.h"
#include "fuzz/profile_snapshot.h"
#include "fuzz/scratch_folder.h"
#include "host/stand_in_host.h"
#include "hostapi/host_text.h"
#include "plugin/command.h"

namespace {

// A small object file; its content does not matter to the plug-in.
const char kObject[] = "FORM\0\0\0\x04LWO2";

struct Places {
  std::string settings;  // the host's Settings folder
  std::string objects;   // the object's folder
  std::string object;    // the object file
};

const Places& places() {
  static const Places p = [] {
    std::string root = qkfuzz::makeScratchFolder("qk_fuzz_settings");
    Places made{root + "/settings", root + "/objects", root + "/objects/Robot.lwo"};
    std::string folders[] = {made.settings, made.objects};
    for (const std::string& folder : folders)
      if (mkdir(folder.c_str(), 0700) != 0) abort();
    return made;
  }();
  return p;
}

// Returns true when a save with backup directory `directory` can only write
// below the scratch folder: no rooted path (a network path among them), no
// ".." level, and no absolute folder of the kind that is not rooted on
// POSIX ("a:b", found from the working folder) unless it is missing, so
// that the save can only fail. Other directories are legal settings, but
// a save over them could write anywhere on the machine.
bool staysInScratch(const char* directory) {
  if (directory == nullptr) return true;
  if (directory[0] == '/' || directory[0] == '\\') return false;
  struct stat status;
  if (strchr(directory, ':') != nullptr && stat(directory, &status) == 0) return false;
  const char* level = directory;
  for (;;) {
    size_t length = strcspn(level, "/\\");
    if (length == 2 && level[0] == '.' && level[1] == '.') return false;
    if (level[length] == '\0') return true;
    level += length + 1;
  }
}

// Returns true iff `text` ends with `tail`.
bool endsWith(const std::string& text, const char* tail) {
  size_t n = strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

void check(bool holds, const char* what, const std::string& detail) {
  if (holds) return;
  fprintf(stderr, "settings fuzzer: %s\n%s\n", what, detail.c_str());
  abort();
}

void activate(qkhost::StandInHost& host, CommandKind kind) {
  runCommand(host.globalFunction(), host.commandInterface(), kind, kHostTextUtf8);  // as today's host
}

// Runs one save command and checks that it saved or said it did not.
void saveAndCheck(qkhost::StandInHost& host, CommandKind kind) {
  int savesBefore = host.saveCount();
  size_t messagesBefore = host.messages().size();
  activate(host, kind);
  if (host.saveCount() > savesBefore) return;
  check(host.messages().size() > messagesBefore, "a save neither saved nor said why",
        qkfuzz::describeProfiles());
  const qkhost::HostMessage& last = host.messages().back();
  std::string text = last.secondLine.value_or(last.firstLine);
  check(last.kind == qkhost::HostMessage::Error && endsWith(text, "object not saved"),
        "a save that did not save ended with another message", text + "\n" + qkfuzz::describeProfiles());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Places& p = places();
  qkfuzz::emptyFolder(p.settings);
  qkfuzz::emptyFolder(p.objects);
  qkfuzz::writeFile(p.settings + "/qk_revkeeper.cfg", std::string(reinterpret_cast<const char*>(data), size));
  const std::string object(kObject, sizeof kObject - 1);
  qkfuzz::writeFile(p.object, object);

  qkhost::StandInHost host;
  host.setFolder("Settings", p.settings);
  host.setObjectPath(p.object);
  host.setObjectBytes(object);

  firstActivation = 1;        // as after the host loads the plug-in
  activate(host, kConfigureCommand);  // loads the file; nobody at the panel cancels it
  if (staysInScratch(incrementalProfile().directory.get())) saveAndCheck(host, kIncrementalCommand);
  if (staysInScratch(bakProfile().directory.get())) saveAndCheck(host, kBakCommand);

  host.queuePanelSession({qkhost::PanelAction::ok()});  // a refusal reopens it: cancelled then
  activate(host, kConfigureCommand);
  std::string stored = qkfuzz::describeProfiles();
  firstActivation = 1;
  activate(host, kConfigureCommand);
  std::string reread = qkfuzz::describeProfiles();
  check(reread == stored, "the profiles did not read back as the panel left them",
        "left:\n" + stored + "read back:\n" + reread);
  return 0;
}
