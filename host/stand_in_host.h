// StandInHost: answers every call the plug-in makes of the modeling host.
//
// A test or the qkhost program sets the host's state (the object being
// edited and its bytes, the host's folders, whether "SAVE" exists and what
// it returns, answers to questions, a scripted user at the panel), then
// activates a server of a loaded PluginModule. The host records every call
// the plug-in makes, in order, with its arguments, and what the plug-in
// showed: messages, questions, monitor events and panels.
//
// The host holds every text in UTF-8. It answers the service names of both
// generations (host_interface.h): those of interface version 3 spell the
// texts it hands out in the code page (host_platform.h), those of version 4
// in UTF-8. What the plug-in hands in is recorded in calls() as given, and
// shown (messages, questions, monitors, panels) in UTF-8, converted from
// the encoding of the service it came through.
//
// The host's services are C callbacks without a context argument, so one
// StandInHost at a time is the process's current host: the one most
// recently constructed and not yet destroyed.
#ifndef QK_HOST_STAND_IN_HOST_H_
#define QK_HOST_STAND_IN_HOST_H_

#include <stdint.h>

#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/plugin_module.h"
#include "host/stand_in_panel.h"
#include "hostapi/host_interface.h"

namespace qkhost {

// One activation of a server: the version it was offered, its result, and
// the service names it asked of the global function.
struct Activation {
  std::string server;
  int32_t version = 0;
  int32_t result = 0;
  std::vector<std::string> fetched;
};

// One call the plug-in made of the host.
struct HostCall {
  std::string service;                 // a service name, "global" or "command"
  std::string operation;               // "fetch", "object", "error", "lookup", ...
  std::vector<std::string> arguments;  // texts as given ("(null)" for null), numbers in decimal
  // Returns "service.operation(arg, arg)".
  std::string describe() const;
};

// A message or question the plug-in showed.
struct HostMessage {
  enum Kind { Info, Error, Question } kind;
  std::string title;           // questions only
  std::string firstLine;
  std::optional<std::string> secondLine;
  bool accepted = false;       // questions only: the answer given
};

// One event of a progress monitor.
struct MonitorEvent {
  enum Kind { Create, Init, Step, Done, Destroy } kind;
  std::string title, text;     // Create only
  uint32_t value = 0;          // Init: total; Step: amount, the steps just completed
  std::thread::id thread = std::this_thread::get_id();  // the thread that called
};

class StandInHost {
 public:
  StandInHost();
  ~StandInHost();
  StandInHost(const StandInHost&) = delete;
  StandInHost& operator=(const StandInHost&) = delete;

  // --- The object being edited ------------------------------------------

  // The file name the state query answers; nullopt answers null.
  void setObjectPath(std::optional<std::string> path) { objectPath_ = std::move(path); }
  const std::optional<std::string>& objectPath() const { return objectPath_; }
  // The object as the host holds it in memory: what "SAVE" writes.
  void setObjectBytes(std::string bytes) { objectBytes_ = std::move(bytes); }
  const std::string& objectBytes() const { return objectBytes_; }
  // Reads the object's file into memory, as opening it in the host would.
  // Returns false when there is no path or the file cannot be read.
  bool openObjectFile();

  // --- Folders and services ---------------------------------------------

  // What "Directory Info" answers for `kind` ("Settings" or "Content");
  // nullopt answers null. Unset kinds answer null.
  void setFolder(const std::string& kind, std::optional<std::string> path);
  // Makes the global function answer null for `service`.
  void removeService(const std::string& service) { missingServices_.insert(service); }

  // --- The host command "SAVE" ------------------------------------------

  // false: looking up "SAVE" answers 0, as a host without the command.
  void setSaveCommandAvailable(bool available) { saveAvailable_ = available; }
  // Non-zero: executing "SAVE" fails with this code and writes nothing.
  void setSaveResult(int32_t code) { saveResult_ = code; }
  // Number of times "SAVE" wrote the object.
  int saveCount() const { return saveCount_; }
  // Called each time "SAVE" has written the object, just before it returns
  // to the plug-in: benchmarks time what the plug-in does after the save.
  void setAfterSave(std::function<void()> hook) { afterSave_ = std::move(hook); }

  // --- The host command "LOAD" ------------------------------------------

  // false: looking up "LOAD" answers 0, as a host without the command.
  void setLoadCommandAvailable(bool available) { loadAvailable_ = available; }
  // Non-zero: executing "LOAD" fails with this code and loads nothing.
  void setLoadResult(int32_t code) { loadResult_ = code; }
  // Number of times "LOAD" loaded a file: it then became the object being
  // edited, its path and bytes those of the loaded file.
  int loadCount() const { return loadCount_; }

  // --- The user ------------------------------------------------------------

  // Answers for the next questions, in order. When none is queued, the
  // question is asked on the terminal if interactive, else declined.
  void queueAnswer(bool accept) { answers_.push_back(accept); }
  // A scripted user for the next panel shown (one session per showing).
  void queuePanelSession(PanelSession session) { panelSessions_.push_back(std::move(session)); }
  // Interactive: questions and panels with no script go to the terminal.
  void setInteractive(bool interactive, std::istream* in, std::ostream* out);
  // Echo: messages and progress are printed to `out` as they happen.
  void setEcho(std::ostream* out) { echo_ = out; }
  // The user presses a monitor's abort button during its `steps`-th step:
  // that step and every later one of the same monitor return 1. 0 never.
  void setAbortAfterSteps(int steps) { abortAfterSteps_ = steps; }

  // --- Running the plug-in ------------------------------------------------

  // The highest interface version the host speaks (3 or 4; default 4).
  void setInterface(int32_t highest) { interface_ = highest; }
  int32_t highestInterface() const { return interface_; }

  // Activates the server `serverName` of `module`, as the host does for a
  // command: with `version` alone when given, else with the highest
  // version the host speaks first, then each lower one down to 1 until an
  // activation returns 0. Returns the last activation's result, or nullopt
  // when the module has no such server.
  std::optional<int32_t> activate(PluginModule& module, const std::string& serverName,
                                  std::optional<int32_t> version = std::nullopt);

  // The global function and command interface an activation receives, for
  // tests that call the plug-in's code directly rather than through a module.
  HostGlobalFunc globalFunction() const;
  HostCommandInterface* commandInterface() { return &commandInterface_; }

  // --- What happened --------------------------------------------------------

  const std::vector<HostCall>& calls() const { return calls_; }
  // Every activation, refused ones included, in order.
  const std::vector<Activation>& activations() const { return activations_; }
  // Returns describe() of every call whose service is `service` (every
  // call when empty), in order.
  std::vector<std::string> callLog(const std::string& service = "") const;
  const std::vector<HostMessage>& messages() const { return messages_; }
  const std::vector<MonitorEvent>& monitorEvents() const { return monitorEvents_; }
  // The sum of the steps of the monitor initialised last: the host adds up
  // the amounts, and a sum above the total is a protocol error.
  uint64_t monitorProgress() const { return progressDone_; }
  // Every panel the plug-in created, in order; each keeps its lists and
  // values after it was destroyed.
  const std::vector<std::unique_ptr<StandInPanel>>& panels() const { return panels_; }
  // Calls of the plug-in that the real host would not understand, as
  // "LWXPanel.hint: unknown hint tag 0x3D000999 at word 12". The call is
  // carried out as far as it can be; a test or qkhost treats any line here
  // as a fault of the plug-in.
  const std::vector<std::string>& protocolErrors() const { return protocolErrors_; }
  // Forgets the recorded calls, activations, messages, monitor events and
  // panels (not the protocol errors).
  void clearRecords();

  // The process's current host, or null. Used by the service callbacks.
  static StandInHost* current();

  // Records a call (used by the service callbacks).
  void record(std::string service, std::string operation, std::vector<std::string> arguments);
  // Records a protocol error (used by the service callbacks).
  void protocolError(std::string what) { protocolErrors_.push_back(std::move(what)); }

  // Service behaviour, called by the C callbacks of the service records.
  void* fetchService(const char* name);
  // The object's name and a folder, in UTF-8 or else in the code page.
  const char* stateObject(bool utf8);
  void showInfo(const char* text);
  void showError(const char* first, const char* second);
  int32_t askQuestion(const char* title, const char* first, const char* second);
  const char* folder(const char* kind, bool utf8);
  int32_t lookupCommand(const char* name);
  int32_t executeCommand(int32_t code, int32_t count, const HostDynamicValue* arguments);
  int32_t executeSave();
  int32_t executeLoad(int32_t count, const HostDynamicValue* arguments);
  HostMonitor* createMonitor(const char* title, const char* text);
  void monitorEvent(MonitorEvent event);
  // Records a step of `amount`; returns 1 when the user pressed abort.
  int32_t stepMonitor(uint32_t amount);
  void destroyMonitor(HostMonitor* monitor);
  StandInPanel* createPanel(int32_t type, const HostPanelControl* controls, bool utf8);
  int32_t showPanel(StandInPanel* panel);

 private:
  // Returns `text` for a service of the generation `utf8` names, kept alive
  // in `*answer` until the next answer of that kind.
  static const char* answer(const std::string& text, bool utf8, std::string* answer);

  int32_t interface_ = HOST_INTERFACE_UTF8;
  int32_t activeVersion_ = 0;  // the version of the running activation
  std::optional<std::string> objectPath_;
  std::string objectBytes_;
  std::map<std::string, std::optional<std::string>> folders_;
  std::set<std::string> missingServices_;
  bool saveAvailable_ = true;
  int32_t saveResult_ = 0;
  int saveCount_ = 0;
  std::function<void()> afterSave_;
  bool loadAvailable_ = true;
  int32_t loadResult_ = 0;
  int loadCount_ = 0;
  std::deque<bool> answers_;
  std::deque<PanelSession> panelSessions_;
  bool interactive_ = false;
  std::istream* in_ = nullptr;
  std::ostream* out_ = nullptr;
  std::ostream* echo_ = nullptr;
  std::string folderAnswer_;  // keeps the last folder text alive for the plug-in
  std::string objectAnswer_;  // keeps the last object name alive for the plug-in
  std::vector<Activation> activations_;
  std::vector<HostCall> calls_;
  std::vector<HostMessage> messages_;
  std::vector<MonitorEvent> monitorEvents_;
  std::vector<std::unique_ptr<HostMonitor>> monitors_;
  std::vector<std::unique_ptr<StandInPanel>> panels_;
  std::vector<std::string> protocolErrors_;
  HostCommandInterface commandInterface_;
  StandInHost* previous_;
  uint64_t progressTotal_ = 0;
  uint64_t progressDone_ = 0;
  int progressSteps_ = 0;
  int abortAfterSteps_ = 0;
};

}  // namespace qkhost

#endif  // QK_HOST_STAND_IN_HOST_H_
