// qkhost: the stand-in host on the command line.
//
// Loads QK_RevKeeper.p as the modeling host does and runs its commands on
// an object file, so the plug-in can be used and watched without the host.
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/host_platform.h"
#include "host/lwo_edit.h"
#include "host/plugin_module.h"
#include "host/stand_in_host.h"

namespace {

const char kUsage[] =
    "usage: qkhost [OPTIONS] COMMAND [COMMAND...]\n"
    "\n"
    "Runs QK_RevKeeper.p in a stand-in for the modeling host. Commands run in\n"
    "order in one host session, like an artist working on one object:\n"
    "  open OBJECT.lwo     make OBJECT the object being edited, without saving\n"
    "  save [OBJECT.lwo]   incremental save (QK_RevKeeper): back up, then save\n"
    "  bak [OBJECT.lwo]    BAK save (QK_BakKeeper): back up, then save\n"
    "  edit                change the object in memory (appends a chunk), as an\n"
    "                      artist's edit would before the next save\n"
    "  configure           the options panel (QK_RevKeeperCfg)\n"
    "  open-backup [OBJECT.lwo]\n"
    "                      open a backup (QK_RevKeeperOpen): the panel \"Open\n"
    "                      Backup\" lists the object's backups, newest first;\n"
    "                      on OK the chosen one is written beside the object as\n"
    "                      \"Name (backup 031).lwo\" or \"Name (BAK 3).lwo\" and\n"
    "                      loaded, becoming the object being edited; its\n"
    "                      Action 0x8102 also pins (1), unpins (2) or backs\n"
    "                      up the object's file pinned (3)\n"
    "  run SERVER          activate any server by name\n"
    "  info [PLUGIN.p]     list the plug-in's descriptor and servers\n"
    "An OBJECT names the object being edited from then on, by its full path as\n"
    "the host names it (a relative OBJECT is taken from the current folder);\n"
    "the host reads it into memory and each save writes the in-memory object\n"
    "over that file.\n"
    "\n"
    "options:\n"
    "  --plugin FILE       the plug-in file (default: QK_RevKeeper.p beside qkhost)\n"
    "  --settings DIR      the host's Settings folder (default: $XDG_CONFIG_HOME/qkhost\n"
    "                      or ~/.config/qkhost; on Windows %APPDATA%\\qkhost);\n"
    "                      --settings '' answers an empty folder; a relative DIR\n"
    "                      is answered as it stands, for the plug-in to find\n"
    "                      below --content\n"
    "  --content DIR       the host's Content folder (default: none)\n"
    "  --answer yes|no     answer the next question (repeatable); unanswered\n"
    "                      questions are asked on the terminal, or declined\n"
    "  --panel LINE        a line typed at the next panel (repeatable): ID=VALUE\n"
    "                      edits a value (ID as 0x8006 or decimal; a choice by\n"
    "                      number or text, a switch as on/off), 'ok' or 'cancel'\n"
    "                      ends that showing; later showings take later lines,\n"
    "                      and without lines a panel is shown on the terminal\n"
    "                      (cancelled when there is none)\n"
    "  --abort-after N     the user presses abort on a progress monitor at its\n"
    "                      N-th step (N >= 1)\n"
    "  --save-fails CODE   the host's SAVE fails with CODE (non-zero)\n"
    "  --no-save-command   a host without the SAVE command\n"
    "  --load-fails CODE   the host's LOAD fails with CODE (non-zero)\n"
    "  --no-load-command   a host without the LOAD command\n"
    "  --interface 3|4     the highest interface version the host speaks (default\n"
    "                      4): each command activates with it first, then with\n"
    "                      each lower version until the plug-in accepts one\n"
    "  --version N         activate with interface version N alone\n"
    "  --trace             print every call the plug-in makes of the host\n"
    "  --quiet             print nothing but errors of qkhost itself\n"
    "  --help              this text\n"
    "\n"
    "exit status, the first that applies: 3 when the plug-in file cannot be\n"
    "loaded; 2 on a usage error or a command that could not run (an object\n"
    "that cannot be read, a server the plug-in lacks); 4 when the plug-in made\n"
    "a call the real host would not understand (printed on stderr); 1 when the\n"
    "plug-in showed an error or an information message; else 0.\n";

struct Options {
  std::string plugin;
  std::optional<std::string> settings;
  std::optional<std::string> content;
  std::vector<bool> answers;
  std::vector<qkhost::PanelSession> panelSessions;  // one per showing of a panel
  int32_t saveResult = 0;
  int abortAfter = 0;
  bool saveCommand = true;
  int32_t loadResult = 0;
  bool loadCommand = true;
  int32_t interface = HOST_INTERFACE_UTF8;
  std::optional<int32_t> version;  // forced, else negotiated
  bool trace = false;
  bool quiet = false;
  std::vector<std::vector<std::string>> commands;  // each: name and its arguments
};

bool usageError(const std::string& message) {
  std::cerr << "qkhost: " << message << "\nTry 'qkhost --help'.\n";
  return false;
}

bool takesObject(const std::string& command) {
  return command == "save" || command == "bak" || command == "open-backup";
}

bool isCommandWord(const std::string& word) {
  for (const char* c : {"open", "save", "bak", "edit", "configure", "open-backup", "info", "run"})
    if (word == c) return true;
  return false;
}

// Adds one --panel line to the scripted panel sessions. Returns false
// after a usage error.
bool addPanelLine(const std::string& line, Options& o) {
  std::optional<qkhost::PanelAction> action = qkhost::parsePanelLine(line);
  if (!action) return usageError("--panel takes ID=VALUE, ok or cancel, not '" + line + "'");
  // A showing's lines run up to its "ok" or "cancel"; the next line starts the next showing.
  bool showingOpen = !o.panelSessions.empty() &&
                     o.panelSessions.back().back().kind == qkhost::PanelAction::Enter;
  if (!showingOpen) o.panelSessions.emplace_back();
  o.panelSessions.back().push_back(*action);
  return true;
}

// Parses the arguments `argv` (UTF-8, after the program's name) into `o`.
// Returns false after a usage error.
bool parse(const std::vector<std::string>& argv, Options& o) {
  const int argc = static_cast<int>(argv.size());
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return usageError(a + " needs a value");
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a == "--plugin") {
      if (!value(o.plugin)) return false;
    } else if (a == "--settings") {
      if (!value(v)) return false;
      o.settings = v;
    } else if (a == "--content") {
      if (!value(v)) return false;
      o.content = v;
    } else if (a == "--answer") {
      if (!value(v)) return false;
      if (v != "yes" && v != "no") return usageError("--answer takes yes or no");
      o.answers.push_back(v == "yes");
    } else if (a == "--panel") {
      if (!value(v) || !addPanelLine(v, o)) return false;
    } else if (a == "--save-fails" || a == "--load-fails") {
      if (!value(v)) return false;
      (a == "--save-fails" ? o.saveResult : o.loadResult) = std::atoi(v.c_str());
      if (std::atoi(v.c_str()) == 0) return usageError(a + " needs a non-zero code");
    } else if (a == "--abort-after") {
      if (!value(v)) return false;
      o.abortAfter = std::atoi(v.c_str());
      if (o.abortAfter < 1) return usageError("--abort-after needs a step number of 1 or more");
    } else if (a == "--no-save-command") {
      o.saveCommand = false;
    } else if (a == "--no-load-command") {
      o.loadCommand = false;
    } else if (a == "--version") {
      if (!value(v)) return false;
      o.version = std::atoi(v.c_str());
    } else if (a == "--interface") {
      if (!value(v)) return false;
      if (v != "3" && v != "4") return usageError("--interface takes 3 or 4");
      o.interface = std::atoi(v.c_str());
    } else if (a == "--trace") {
      o.trace = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a.rfind("--", 0) == 0) {
      return usageError("unknown option " + a);
    } else if (a == "info") {
      o.commands.push_back({a});
      if (i + 1 < argc && !isCommandWord(argv[i + 1]) && argv[i + 1][0] != '-') o.plugin = argv[++i];
    } else if (a == "save" || a == "bak" || a == "edit" || a == "configure" || a == "open-backup") {
      o.commands.push_back({a});
      if (takesObject(a) && i + 1 < argc && !isCommandWord(argv[i + 1]) && argv[i + 1][0] != '-')
        o.commands.back().push_back(argv[++i]);
    } else if (a == "run" || a == "open") {
      if (!value(v)) return false;
      o.commands.push_back({a, v});
    } else {
      return usageError("unknown command " + a);
    }
  }
  if (o.commands.empty()) return usageError("no command given");
  return true;
}

void printInfo(const qkhost::PluginModule& module) {
  const HostModuleDescriptor& d = module.descriptor();
  std::cout << module.path() << "\n  sync 0x" << std::hex << d.sync << ", interface version "
            << std::dec << d.version << ", machine 0x" << std::hex << d.machine << std::dec << "\n";
  for (const qkhost::ServerInfo& s : module.servers())
    std::cout << "  " << s.className << " \"" << s.name << "\": user name \"" << s.userName
              << "\", description \"" << s.description << "\"\n";
}

// After a scripted command that showed a panel (the host then held more
// than `panelsBefore`): prints the panel as the script left it, and every
// edit the panel refused.
void reportPanels(const qkhost::StandInHost& host, const Options& o, size_t panelsBefore) {
  if (host.panels().size() <= panelsBefore || o.panelSessions.empty()) return;
  const qkhost::StandInPanel& panel = *host.panels().back();
  if (!o.quiet) panel.render(std::cout);
  for (const std::string& refusal : panel.refusals())
    std::cerr << "qkhost: the panel refused " << refusal << '\n';
}

const char* serverOf(const std::string& command) {
  if (command == "save") return "QK_RevKeeper";
  if (command == "bak") return "QK_BakKeeper";
  if (command == "open-backup") return "QK_RevKeeperOpen";
  return "QK_RevKeeperCfg";
}

// Runs one command. Returns false when it could not run at all.
bool runOne(const std::vector<std::string>& command, const Options& o,
            qkhost::PluginModule& module, qkhost::StandInHost& host) {
  const std::string& name = command[0];
  if (name == "info") {
    printInfo(module);
    return true;
  }
  if (name == "edit") {
    host.setObjectBytes(qkhost::appendEditChunk(host.objectBytes()));
    return true;
  }
  if ((takesObject(name) || name == "open") && command.size() > 1) {
    host.setObjectPath(qkhost::fullPathOf(command[1]));
    if (!host.openObjectFile()) {
      std::cerr << "qkhost: cannot read object " << command[1] << '\n';
      return false;
    }
    if (name == "open") return true;
  }
  std::string server = name == "run" ? command[1] : serverOf(name);
  size_t firstCall = host.calls().size();
  size_t panelsBefore = host.panels().size();
  std::optional<int32_t> result = host.activate(module, server, o.version);
  if (!result) {
    std::cerr << "qkhost: the plug-in has no server " << server << '\n';
    return false;
  }
  if (o.trace)
    for (size_t i = firstCall; i < host.calls().size(); ++i)
      std::cerr << "  > " << host.calls()[i].describe() << '\n';
  if (*result != 0 && !o.quiet) std::cout << server << ": activation returned " << *result << '\n';
  if (name == "configure" || name == "open-backup") reportPanels(host, o, panelsBefore);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  o.plugin = qkhost::pathBesideProgram(argc > 0 ? argv[0] : "qkhost", "QK_RevKeeper.p");
  if (!parse(qkhost::commandLineArguments(argc, argv), o)) return 2;

  std::string error;
  std::unique_ptr<qkhost::PluginModule> module = qkhost::PluginModule::load(o.plugin, &error);
  if (!module) {
    std::cerr << "qkhost: " << error << '\n';
    return 3;
  }

  qkhost::StandInHost host;
  if (!o.settings) {
    o.settings = qkhost::defaultSettingsFolder();
    std::error_code ignored;  // a folder that cannot be made leaves settings unsaved
    std::filesystem::create_directories(std::filesystem::u8path(*o.settings), ignored);
  }
  host.setInterface(o.interface);
  host.setFolder(HOST_FOLDER_SETTINGS, o.settings);
  host.setFolder(HOST_FOLDER_CONTENT, o.content);
  for (bool answer : o.answers) host.queueAnswer(answer);
  for (const qkhost::PanelSession& session : o.panelSessions) host.queuePanelSession(session);
  host.setSaveCommandAvailable(o.saveCommand);
  host.setSaveResult(o.saveResult);
  host.setAbortAfterSteps(o.abortAfter);
  host.setLoadCommandAvailable(o.loadCommand);
  host.setLoadResult(o.loadResult);
  host.setInteractive(qkhost::standardInputIsTerminal(), &std::cin, &std::cout);
  if (!o.quiet) host.setEcho(&std::cout);

  bool ran = true;
  for (const auto& command : o.commands) ran = runOne(command, o, *module, host) && ran;
  module.reset();  // shutdown and unload, as the host does on exit

  bool reported = false;
  for (const qkhost::HostMessage& m : host.messages())
    reported = reported || m.kind != qkhost::HostMessage::Question;
  for (const std::string& error : host.protocolErrors())
    std::cerr << "qkhost: the real host would not understand " << error << '\n';
  if (!ran) return 2;
  if (!host.protocolErrors().empty()) return 4;
  return reported ? 1 : 0;
}
