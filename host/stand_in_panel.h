// StandInPanel: one form panel of the stand-in host's "LWXPanel" service.
//
// It keeps the control list, data description and hints the plug-in gave,
// holds each value by id, and is shown either to a scripted user (a
// PanelSession: set values, then OK or Cancel) or, interactively, as a
// plain text form. Setting a value honours the hinted numeric limits and
// calls the plug-in's change notification, as the host does.
#ifndef QK_HOST_STAND_IN_PANEL_H_
#define QK_HOST_STAND_IN_PANEL_H_

#include <stdint.h>

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "plugin/host_interface.h"

namespace qkhost {

// One step of a scripted user at a panel.
struct PanelAction {
  enum Kind { SetInteger, SetText, Ok, Cancel } kind;
  uint32_t id = 0;
  int32_t integer = 0;
  std::optional<std::string> text;  // SetText: nullopt clears the text

  static PanelAction setInteger(uint32_t id, int32_t value) { return {SetInteger, id, value, {}}; }
  static PanelAction setText(uint32_t id, std::optional<std::string> value) {
    return {SetText, id, 0, std::move(value)};
  }
  static PanelAction ok() { return {Ok, 0, 0, {}}; }
  static PanelAction cancel() { return {Cancel, 0, 0, {}}; }
};

// What the scripted user does during one showing of a panel; a session
// without Ok or Cancel ends with Cancel.
using PanelSession = std::vector<PanelAction>;

struct PanelControl {
  uint32_t id;
  std::string label;
  std::string type;
};

struct PanelDatum {
  uint32_t id;
  std::string name;
  std::string type;  // "integer" or "string"
};

// A numeric limit from the hints.
struct PanelLimit {
  std::optional<int32_t> minimum, maximum;
  bool clampMinimum = false, clampMaximum = false;
};

class StandInPanel {
 public:
  StandInPanel(int32_t type, const HostPanelControl* controls);

  // Slot 5: takes the data description.
  void describe(const HostPanelData* data);
  // Slot 6: applies a hint list (see HostHintTag).
  void applyHints(uint32_t id, const uintptr_t* hints);
  // Slot 9: a pointer to the integer, or the text (null when none).
  void* get(uint32_t id);
  // Slot 10: an integer value is read through `value` as an int32_t*, a
  // string value is the text itself.
  void set(uint32_t id, void* value);

  // Sets a value as the user would: within the hinted limits, then the
  // change notification. Returns false for an id with no data entry.
  bool userSetInteger(uint32_t id, int32_t value);
  bool userSetText(uint32_t id, std::optional<std::string> value);

  // Runs one scripted session. Returns 1 for OK, 0 for Cancel.
  int32_t runSession(const PanelSession& session);
  // Runs the panel as a text form on the terminal. Returns 1 for OK.
  int32_t runInteractive(std::istream& in, std::ostream& out);

  // Returns true iff `id` is enabled by the hinted enable rules.
  bool isEnabled(uint32_t id) const;

  int32_t type() const { return type_; }
  bool destroyed() const { return destroyed_; }
  void markDestroyed() { destroyed_ = true; }
  int timesShown() const { return timesShown_; }
  void countShowing() { ++timesShown_; }

  const std::vector<PanelControl>& controls() const { return controls_; }
  const std::vector<PanelDatum>& data() const { return data_; }
  const std::string& label() const { return label_; }
  std::optional<int32_t> integer(uint32_t id) const;
  std::optional<std::string> text(uint32_t id) const;
  const std::map<uint32_t, std::vector<std::string>>& choices() const { return choices_; }
  const std::map<uint32_t, PanelLimit>& limits() const { return limits_; }
  const std::map<uint32_t, std::vector<uint32_t>>& groups() const { return groups_; }
  const std::map<uint32_t, std::vector<uint32_t>>& tabs() const { return tabs_; }
  const std::map<uint32_t, std::string>& labels() const { return labels_; }
  // Pairs (controlling id, dependent id).
  const std::vector<std::pair<uint32_t, uint32_t>>& enableRules() const { return enableRules_; }
  HostPanelChangeFunc changeNotify() const { return changeNotify_; }

 private:
  const PanelDatum* datum(uint32_t id) const;
  void notifyChange(uint32_t id);

  int32_t type_;
  bool destroyed_ = false;
  int timesShown_ = 0;
  std::string label_;
  std::vector<PanelControl> controls_;
  std::vector<PanelDatum> data_;
  std::map<uint32_t, int32_t> integers_;
  std::map<uint32_t, std::optional<std::string>> texts_;
  std::map<uint32_t, std::vector<std::string>> choices_;
  std::map<uint32_t, PanelLimit> limits_;
  std::map<uint32_t, std::vector<uint32_t>> groups_;
  std::map<uint32_t, std::vector<uint32_t>> tabs_;
  std::map<uint32_t, std::string> labels_;
  std::vector<std::pair<uint32_t, uint32_t>> enableRules_;
  HostPanelChangeFunc changeNotify_ = nullptr;
};

}  // namespace qkhost

#endif  // QK_HOST_STAND_IN_PANEL_H_
