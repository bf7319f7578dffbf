#include "host/stand_in_host.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "host/host_platform.h"

namespace qkhost {

namespace {

StandInHost* currentHost = nullptr;

std::string text(const char* s) { return s ? std::string(s) : std::string("(null)"); }

StandInHost& host() { return *StandInHost::current(); }

// --- The C callbacks of the service records ----------------------------------

void* globalFunction(const char* name, int32_t useMode) {
  host().record("global", "fetch", {text(name), std::to_string(useMode)});
  return host().fetchService(name);
}

// Each callback that hands out a text comes in two generations: `kUtf8`
// spells it in UTF-8, else in the code page.
template <bool kUtf8>
const char* stateObject() {
  return host().stateObject(kUtf8);
}

// Each callback that shows a text takes it in the encoding of its
// generation, records it as it came and shows it in UTF-8: `shown` returns
// the text so, kept in `*kept` when converted. Null stays null.
template <bool kUtf8>
const char* shown(const char* textIn, std::string* kept) {
  if (kUtf8 || textIn == nullptr) return textIn;
  *kept = utf8FromCodePage(textIn);
  return kept->c_str();
}

template <bool kUtf8>
void messageInfo(const char* textLine, const char* unused) {
  host().record(HOST_SERVICE_MESSAGES, "info", {text(textLine), text(unused)});
  std::string line;
  host().showInfo(shown<kUtf8>(textLine, &line));
}

template <bool kUtf8>
void messageError(const char* first, const char* second) {
  host().record(HOST_SERVICE_MESSAGES, "error", {text(first), text(second)});
  std::string firstLine, secondLine;
  host().showError(shown<kUtf8>(first, &firstLine), shown<kUtf8>(second, &secondLine));
}

template <bool kUtf8>
int32_t messageOkCancel(const char* title, const char* first, const char* second) {
  host().record(HOST_SERVICE_MESSAGES, "okCancel", {text(title), text(first), text(second)});
  std::string titleLine, firstLine, secondLine;
  return host().askQuestion(shown<kUtf8>(title, &titleLine), shown<kUtf8>(first, &firstLine),
                            shown<kUtf8>(second, &secondLine));
}

template <bool kUtf8>
const char* directoryInfo(const char* kind) {
  host().record(HOST_SERVICE_DIRECTORY_INFO, "folder", {text(kind)});
  return host().folder(kind, kUtf8);
}

int32_t commandLookup(void* /*data*/, const char* name) {
  host().record("command", "lookup", {text(name)});
  return host().lookupCommand(name);
}

int32_t commandExecute(void* /*data*/, int32_t code, int32_t count,
                       const HostDynamicValue* arguments, int32_t selection,
                       HostDynamicValue* /*result*/) {
  std::vector<std::string> args = {std::to_string(code), std::to_string(count)};
  for (int32_t i = 0; i < count && arguments != nullptr; ++i) {
    args.push_back("type " + std::to_string(arguments[i].type));
    if (arguments[i].type == HOST_DYNAMIC_STRING) {
      args.push_back(text(arguments[i].string.text));
      args.push_back(std::to_string(arguments[i].string.length));
    }
  }
  args.push_back(std::to_string(selection));
  host().record("command", "execute", args);
  return host().executeCommand(code, count, arguments);
}

template <bool kUtf8>
HostMonitor* monitorCreate(const char* title, const char* textLine) {
  host().record(HOST_SERVICE_DYNAMIC_MONITOR, "create", {text(title), text(textLine)});
  std::string titleLine, line;
  return host().createMonitor(shown<kUtf8>(title, &titleLine), shown<kUtf8>(textLine, &line));
}

void monitorDestroy(HostMonitor* monitor) {
  host().record(HOST_SERVICE_DYNAMIC_MONITOR, "destroy", {});
  host().destroyMonitor(monitor);
}

void monitorInit(void* /*data*/, uint32_t total) {
  host().record("monitor", "init", {std::to_string(total)});
  host().monitorEvent({MonitorEvent::Init, "", "", total});
}

int32_t monitorStep(void* /*data*/, uint32_t amount) {
  host().record("monitor", "step", {std::to_string(amount)});
  return host().stepMonitor(amount);
}

void monitorDone(void* /*data*/) {
  host().record("monitor", "done", {});
  host().monitorEvent({MonitorEvent::Done, "", "", 0});
}

StandInPanel* panelOf(HostPanel panel) { return static_cast<StandInPanel*>(panel); }

template <bool kUtf8>
HostPanel panelCreate(int32_t type, const HostPanelControl* controls) {
  host().record(HOST_SERVICE_XPANEL, "create", {std::to_string(type)});
  return host().createPanel(type, controls, kUtf8);
}

void panelDestroy(HostPanel panel) {
  host().record(HOST_SERVICE_XPANEL, "destroy", {});
  panelOf(panel)->markDestroyed();
}

void panelDescribe(HostPanel panel, const HostPanelData* data, void* get, void* set) {
  host().record(HOST_SERVICE_XPANEL, "describe",
                {get ? "get" : "(null)", set ? "set" : "(null)"});
  panelOf(panel)->describe(data);
}

void panelHint(HostPanel panel, uint32_t id, const uintptr_t* hints) {
  host().record(HOST_SERVICE_XPANEL, "hint", {std::to_string(id)});
  for (std::string& unknown : panelOf(panel)->applyHints(id, hints))
    host().protocolError(std::string(HOST_SERVICE_XPANEL) + ".hint: " + unknown);
}

void* panelGet(HostPanel panel, uint32_t id) {
  host().record(HOST_SERVICE_XPANEL, "formGet", {std::to_string(id)});
  return panelOf(panel)->get(id);
}

void panelSet(HostPanel panel, uint32_t id, void* value) {
  host().record(HOST_SERVICE_XPANEL, "formSet", {std::to_string(id)});
  panelOf(panel)->set(id, value);
}

int32_t panelPost(HostPanel panel) {
  host().record(HOST_SERVICE_XPANEL, "post", {});
  return host().showPanel(panelOf(panel));
}

// The service records. Reserved slots stay null: the plug-in never calls
// them. The newer generation's records add a slot at the end of the older
// layout.
HostStateQuery stateQueryRecord = {nullptr, nullptr, nullptr, nullptr, nullptr, stateObject<false>};
HostStateQuery stateQueryUtf8Record = {nullptr, nullptr, nullptr, nullptr, nullptr, stateObject<true>};
HostMessages messagesRecord = {messageInfo<false>, messageError<false>, nullptr, messageOkCancel<false>};
struct { HostMessages older; HostReservedSlot askName; } messagesUtf8Record = {
    {messageInfo<true>, messageError<true>, nullptr, messageOkCancel<true>}, nullptr};
HostMonitorService monitorRecord = {monitorCreate<false>, monitorDestroy};
HostMonitorService monitorUtf8Record = {monitorCreate<true>, monitorDestroy};
HostXPanel xpanelRecord = {nullptr,  nullptr,  panelCreate<false>, panelDestroy, panelDescribe,
                           panelHint, nullptr, nullptr,            panelGet,     panelSet,
                           nullptr,  nullptr,  panelPost};
// A panel created through the newer record speaks UTF-8.
HostXPanel withUtf8Panels(HostXPanel record) {
  record.create = panelCreate<true>;
  return record;
}
struct { HostXPanel older; HostReservedSlot viewRebuild; } xpanelUtf8Record = {withUtf8Panels(xpanelRecord), nullptr};
// Services fetched but never called: distinct, non-null, and empty.
struct UncalledService { void* slots[8]; };
UncalledService displayInfoRecord, sceneObjectsRecord, panelServicesRecord;

// Every service name the host answers, both generations.
const struct {
  const char* name;
  void* service;
} kServices[] = {
    {HOST_SERVICE_STATE_QUERY, &stateQueryRecord},
    {HOST_SERVICE_MESSAGES, &messagesRecord},
    {HOST_SERVICE_DIRECTORY_INFO, reinterpret_cast<void*>(&directoryInfo<false>)},
    {HOST_SERVICE_DYNAMIC_MONITOR, &monitorRecord},
    {HOST_SERVICE_XPANEL, &xpanelRecord},
    {HOST_SERVICE_DISPLAY_INFO, &displayInfoRecord},
    {HOST_SERVICE_SCENE_OBJECTS, &sceneObjectsRecord},
    {HOST_SERVICE_PANEL_SERVICES, &panelServicesRecord},
    {HOST_SERVICE_STATE_QUERY_UTF8, &stateQueryUtf8Record},
    {HOST_SERVICE_MESSAGES_UTF8, &messagesUtf8Record},
    {HOST_SERVICE_DIRECTORY_INFO_UTF8, reinterpret_cast<void*>(&directoryInfo<true>)},
    {HOST_SERVICE_DYNAMIC_MONITOR_UTF8, &monitorUtf8Record},
    {HOST_SERVICE_XPANEL_UTF8, &xpanelUtf8Record},
};

constexpr int32_t kSaveCode = 0x5341;  // any non-zero codes
constexpr int32_t kLoadCode = 0x4C4F;

// A text progress bar for a monitor: 40 cells.
void drawProgress(std::ostream& out, uint64_t done, uint64_t total) {
  int cells = total == 0 ? 40 : static_cast<int>(40 * std::min<uint64_t>(done, total) / total);
  out << "\r[" << std::string(cells, '#') << std::string(40 - cells, ' ') << "] " << done << '/'
      << total << std::flush;
}

}  // namespace

std::string HostCall::describe() const {
  std::string line = service + "." + operation + "(";
  for (size_t i = 0; i < arguments.size(); ++i) line += (i ? ", " : "") + arguments[i];
  return line + ")";
}

StandInHost::StandInHost() : previous_(currentHost) {
  commandInterface_ = {this, nullptr, commandLookup, commandExecute};
  currentHost = this;
}

StandInHost::~StandInHost() { currentHost = previous_; }

StandInHost* StandInHost::current() { return currentHost; }

HostGlobalFunc StandInHost::globalFunction() const { return qkhost::globalFunction; }

bool StandInHost::openObjectFile() {
  if (!objectPath_) return false;
  std::ifstream file(std::filesystem::u8path(*objectPath_), std::ios::binary);
  if (!file) return false;
  objectBytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

void StandInHost::setFolder(const std::string& kind, std::optional<std::string> path) {
  folders_[kind] = std::move(path);
}

void StandInHost::setInteractive(bool interactive, std::istream* in, std::ostream* out) {
  interactive_ = interactive;
  in_ = in;
  out_ = out;
}

std::optional<int32_t> StandInHost::activate(PluginModule& module, const std::string& serverName,
                                             std::optional<int32_t> version) {
  const HostServerRecord* server = module.findServer(serverName);
  if (server == nullptr) return std::nullopt;
  module.startup();
  StandInHost* outer = currentHost;
  currentHost = this;
  int32_t result = 1;
  const int32_t lowest = version.value_or(1);
  for (int32_t v = version.value_or(interface_); result != 0 && v >= lowest; --v) {
    activeVersion_ = v;
    activations_.push_back({serverName, v, 0, {}});
    result = server->activate(v, qkhost::globalFunction, &commandInterface_, nullptr);
    activations_.back().result = result;
  }
  activeVersion_ = 0;
  currentHost = outer;
  return result;
}

std::vector<std::string> StandInHost::callLog(const std::string& service) const {
  std::vector<std::string> log;
  for (const HostCall& call : calls_)
    if (service.empty() || call.service == service) log.push_back(call.describe());
  return log;
}

void StandInHost::clearRecords() {
  calls_.clear();
  activations_.clear();
  messages_.clear();
  monitorEvents_.clear();
  panels_.clear();
}

void StandInHost::record(std::string service, std::string operation,
                         std::vector<std::string> arguments) {
  calls_.push_back({std::move(service), std::move(operation), std::move(arguments)});
}

void* StandInHost::fetchService(const char* name) {
  if (activeVersion_ != 0) activations_.back().fetched.push_back(text(name));
  if (name == nullptr || missingServices_.count(name)) return nullptr;
  for (const auto& service : kServices)
    if (strcmp(name, service.name) == 0) return service.service;
  return nullptr;
}

const char* StandInHost::answer(const std::string& textIn, bool utf8, std::string* answer) {
  *answer = utf8 ? textIn : codePageText(textIn);
  return answer->c_str();
}

const char* StandInHost::stateObject(bool utf8) {
  record(HOST_SERVICE_STATE_QUERY, "object", {});
  return objectPath_ ? answer(*objectPath_, utf8, &objectAnswer_) : nullptr;
}

void StandInHost::showInfo(const char* textLine) {
  messages_.push_back({HostMessage::Info, "", text(textLine), std::nullopt});
  if (echo_) *echo_ << "[info] " << text(textLine) << '\n';
}

void StandInHost::showError(const char* first, const char* second) {
  std::optional<std::string> secondLine;
  if (second) secondLine = second;
  messages_.push_back({HostMessage::Error, "", text(first), secondLine});
  if (echo_) *echo_ << "[error] " << text(first) << (second ? std::string("\n        ") + second : "") << '\n';
}

int32_t StandInHost::askQuestion(const char* title, const char* first, const char* second) {
  bool accept = false;
  if (!answers_.empty()) {
    accept = answers_.front();
    answers_.pop_front();
  } else if (interactive_ && in_ && out_) {
    *out_ << "[" << text(title) << "] " << text(first) << "\n  " << text(second) << " [y/N] "
          << std::flush;
    std::string line;
    accept = std::getline(*in_, line) && (line == "y" || line == "Y" || line == "yes");
  }
  messages_.push_back({HostMessage::Question, text(title), text(first), text(second), accept});
  if (echo_) *echo_ << "[question] " << text(first) << " / " << text(second) << " -> "
                    << (accept ? "yes" : "no") << '\n';
  return accept ? 1 : 0;
}

const char* StandInHost::folder(const char* kind, bool utf8) {
  auto it = folders_.find(text(kind));
  if (it == folders_.end() || !it->second) return nullptr;
  return answer(*it->second, utf8, &folderAnswer_);
}

int32_t StandInHost::lookupCommand(const char* name) {
  std::string command = text(name);
  if (saveAvailable_ && command == HOST_COMMAND_SAVE) return kSaveCode;
  if (loadAvailable_ && command == HOST_COMMAND_LOAD) return kLoadCode;
  return 0;
}

int32_t StandInHost::executeCommand(int32_t code, int32_t count, const HostDynamicValue* arguments) {
  if (code == kSaveCode && saveAvailable_) return executeSave();
  if (code == kLoadCode && loadAvailable_) return executeLoad(count, arguments);
  return -1;
}

int32_t StandInHost::executeLoad(int32_t count, const HostDynamicValue* arguments) {
  if (count != 1 || arguments == nullptr || arguments[0].type != HOST_DYNAMIC_STRING ||
      arguments[0].string.text == nullptr) {
    protocolError("command.execute: LOAD takes one string argument, the file's path");
    return -1;
  }
  if (loadResult_ != 0) return loadResult_;
  std::optional<std::string> previous = objectPath_;
  // A host of version 4 reads a text of length 0 as UTF-8, any other in the code page.
  const char* path = arguments[0].string.text;
  objectPath_ = activeVersion_ >= HOST_INTERFACE_UTF8 && arguments[0].string.length == 0 ? std::string(path)
                                                                                         : utf8FromCodePage(path);
  if (!openObjectFile()) {
    objectPath_ = previous;
    return -2;
  }
  ++loadCount_;
  if (echo_) *echo_ << "[host] loaded " << *objectPath_ << " (" << objectBytes_.size() << " bytes)\n";
  return 0;
}

int32_t StandInHost::executeSave() {
  if (saveResult_ != 0) return saveResult_;
  if (!objectPath_) return -2;
  std::ofstream file(std::filesystem::u8path(*objectPath_), std::ios::binary | std::ios::trunc);
  file.write(objectBytes_.data(), static_cast<std::streamsize>(objectBytes_.size()));
  file.close();
  if (!file) return -3;
  ++saveCount_;
  if (echo_) *echo_ << "[host] saved " << *objectPath_ << " (" << objectBytes_.size() << " bytes)\n";
  if (afterSave_) afterSave_();
  return 0;
}

HostMonitor* StandInHost::createMonitor(const char* title, const char* textLine) {
  monitorEvents_.push_back({MonitorEvent::Create, text(title), text(textLine), 0});
  monitors_.push_back(std::make_unique<HostMonitor>(HostMonitor{this, monitorInit, monitorStep, monitorDone}));
  if (echo_) *echo_ << text(title) << ": " << text(textLine) << '\n';
  return monitors_.back().get();
}

void StandInHost::monitorEvent(MonitorEvent event) {
  if (event.kind == MonitorEvent::Init) {
    progressTotal_ = event.value;
    progressDone_ = 0;
    progressSteps_ = 0;
  }
  if (echo_ && event.kind == MonitorEvent::Done) *echo_ << '\n';
  monitorEvents_.push_back(std::move(event));
}

int32_t StandInHost::stepMonitor(uint32_t amount) {
  progressDone_ += amount;
  ++progressSteps_;
  if (progressDone_ > progressTotal_ && progressDone_ - amount <= progressTotal_)  // once
    protocolError("monitor.step: the steps add up to " + std::to_string(progressDone_) +
                  ", more than the total " + std::to_string(progressTotal_));
  if (echo_) drawProgress(*echo_, progressDone_, progressTotal_);
  monitorEvent({MonitorEvent::Step, "", "", amount});
  bool aborted = abortAfterSteps_ > 0 && progressSteps_ >= abortAfterSteps_;
  if (aborted && echo_) *echo_ << " [abort pressed]" << std::flush;
  return aborted ? 1 : 0;
}

void StandInHost::destroyMonitor(HostMonitor* monitor) {
  monitorEvents_.push_back({MonitorEvent::Destroy, "", "", 0});
  for (auto it = monitors_.begin(); it != monitors_.end(); ++it) {
    if (it->get() == monitor) {
      monitors_.erase(it);
      return;
    }
  }
}

StandInPanel* StandInHost::createPanel(int32_t type, const HostPanelControl* controls, bool utf8) {
  panels_.push_back(std::make_unique<StandInPanel>(type, controls, utf8));
  return panels_.back().get();
}

int32_t StandInHost::showPanel(StandInPanel* panel) {
  panel->countShowing();
  if (!panelSessions_.empty()) {
    PanelSession session = std::move(panelSessions_.front());
    panelSessions_.pop_front();
    return panel->runSession(session);
  }
  if (interactive_ && in_ && out_) return panel->runInteractive(*in_, *out_);
  if (echo_)
    *echo_ << "[panel] " << panel->label() << ": nobody at the panel (no terminal, no script), cancelled\n";
  return 0;
}

}  // namespace qkhost
