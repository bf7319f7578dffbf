// StandInPanel: one form panel of the stand-in host's "LWXPanel" service.
//
// It keeps the control list, data description and hints the plug-in gave,
// holds each value by id, and is shown either to a scripted user (one
// PanelSession per showing: edits, then OK or Cancel) or to a person, as a
// text form on the terminal. The plug-in's own calls (slots 9 and 10) read
// and write any value freely; the user's edits go through the rules a real
// panel enforces: only visible, enabled controls, choices within their
// list, switches on or off, and each edit followed by the plug-in's change
// notification. As in the real host, limits and hard limits are shown but
// not enforced on a plain "integer" field (the host enforces them only in a
// slider's edit field): the plug-in must check what is typed.
//
// A panel of the newer service speaks UTF-8 with the plug-in; one of the
// older service the code page (host_platform.h). Either holds its texts
// (labels, choices, values) in UTF-8, as the person reads and types them,
// and converts each text the plug-in hands over or reads.
#ifndef QK_HOST_STAND_IN_PANEL_H_
#define QK_HOST_STAND_IN_PANEL_H_

#include <stdint.h>

#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hostapi/host_interface.h"

namespace qkhost {

// One step of a scripted user at a panel.
struct PanelAction {
  enum Kind { SetInteger, SetText, Enter, Ok, Cancel } kind;
  uint32_t id = 0;
  int32_t integer = 0;
  std::optional<std::string> text;  // SetText: nullopt clears the text; Enter: what was typed

  static PanelAction setInteger(uint32_t id, int32_t value) { return {SetInteger, id, value, {}}; }
  static PanelAction setText(uint32_t id, std::optional<std::string> value) {
    return {SetText, id, 0, std::move(value)};
  }
  // Types `typed` into a control, as a person at the text form does.
  static PanelAction enter(uint32_t id, std::string typed) { return {Enter, id, 0, std::move(typed)}; }
  static PanelAction ok() { return {Ok, 0, 0, {}}; }
  static PanelAction cancel() { return {Cancel, 0, 0, {}}; }
};

// What the scripted user does during one showing of a panel; a session
// without Ok or Cancel ends with Cancel.
using PanelSession = std::vector<PanelAction>;

// Reads one line of the text form: "ok", "cancel", or "ID=VALUE" (the id
// in decimal or 0x-hex, the value as typed, to the end of the line) as an
// Enter action. Returns nullopt for anything else.
std::optional<PanelAction> parsePanelLine(const std::string& line);

struct PanelControl {
  uint32_t id;
  std::string label;
  std::string type;  // "iPopChoice", "iChoice", "iBoolean", "integer" or "string"
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

// One hint of a hint list: its tag, its fixed arguments (as many as the
// tag counts) and, for a tag with HOST_HINT_ID_LIST, the ids after them.
struct PanelHint {
  uintptr_t tag;
  const uintptr_t* arguments;
  std::vector<uint32_t> ids;
};

class StandInPanel {
 public:
  // `utf8`: whether the panel speaks UTF-8 with the plug-in, else the code page.
  StandInPanel(int32_t type, const HostPanelControl* controls, bool utf8 = true);

  // Slot 5: takes the data description.
  void describe(const HostPanelData* data);
  // Slot 6: applies a hint list, read hint by hint by the rule every hint
  // follows (see HostHintTag). A hint whose tag this panel does not know is
  // skipped by its counts. Returns one line per such hint, as "unknown hint
  // tag 0x3D000999 at word 12" (the tag's position in the list); empty
  // when every tag was known.
  [[nodiscard]] std::vector<std::string> applyHints(uint32_t id, const uintptr_t* hints);
  // Slot 9: a pointer to the integer, or the text (null when none), valid
  // until the next call for the same id.
  void* get(uint32_t id);
  // Slot 10: an integer value is read through `value` as an int32_t*, a
  // string value is the text itself.
  void set(uint32_t id, void* value);

  // Edits a value as the user would, then calls the change notification.
  // Returns false, with the reason in `*why` (when given) and the value
  // unchanged, when the panel does not let the user make this edit.
  // Numbers beyond a limit are taken as typed.
  bool userSetInteger(uint32_t id, int32_t value, std::string* why = nullptr);
  bool userSetText(uint32_t id, std::optional<std::string> value, std::string* why = nullptr);
  // Edits a value from what a person typed: a number (or, for a choice,
  // its text; for a switch, "on" or "off"), or any text for a string.
  bool userEnter(uint32_t id, const std::string& typed, std::string* why = nullptr);

  // Runs one scripted session. Returns 1 for OK, 0 for Cancel. Edits the
  // panel refuses are kept in refusals().
  int32_t runSession(const PanelSession& session);
  // Runs the panel as a text form: shows it, then reads "ID=VALUE" edits
  // until "ok" (returns 1), "cancel" or the end of input (returns 0).
  int32_t runInteractive(std::istream& in, std::ostream& out);
  // Writes the panel as the text form shows it: its label, each tab with
  // its label and controls, the label of each labelled group within a tab
  // as a line "-- label --" before its controls, every control's value,
  // choices, limits and whether it is disabled.
  void render(std::ostream& out) const;

  // Returns true iff every enable rule for `id` has a non-zero controlling value.
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
  // The scripted edits refused so far, as "0x800B: disabled".
  const std::vector<std::string>& refusals() const { return refusals_; }

 private:
  // Applies one hint; returns false when its tag is not one this panel knows.
  bool applyHint(const PanelHint& hint);
  const PanelDatum* datum(uint32_t id) const;
  const PanelControl* control(uint32_t id) const;
  // Returns the control `id` when the user may edit it as `dataType`, else
  // null with the reason in `*why`.
  const PanelControl* editable(uint32_t id, const char* dataType, std::string* why) const;
  std::optional<int32_t> parseTyped(const PanelControl& c, const std::string& typed) const;
  void notifyChange(uint32_t id);
  void renderMembers(std::ostream& out, const std::vector<uint32_t>& ids,
                     std::set<uint32_t>& shown) const;
  void renderControl(std::ostream& out, const PanelControl& c) const;

  // A text the plug-in handed over, in UTF-8; "" for null.
  std::string fromPlugin(const char* text) const;

  int32_t type_;
  bool utf8_;
  bool destroyed_ = false;
  int timesShown_ = 0;
  std::string label_;
  std::vector<PanelControl> controls_;
  std::vector<PanelDatum> data_;
  std::map<uint32_t, int32_t> integers_;
  std::map<uint32_t, std::optional<std::string>> texts_;
  std::map<uint32_t, std::string> handedOut_;  // each text value as slot 9 last handed it out
  std::map<uint32_t, std::vector<std::string>> choices_;
  std::map<uint32_t, PanelLimit> limits_;
  std::map<uint32_t, std::vector<uint32_t>> groups_;
  std::map<uint32_t, std::vector<uint32_t>> tabs_;
  std::map<uint32_t, std::string> labels_;
  std::vector<std::pair<uint32_t, uint32_t>> enableRules_;
  HostPanelChangeFunc changeNotify_ = nullptr;
  std::vector<std::string> refusals_;
};

}  // namespace qkhost

#endif  // QK_HOST_STAND_IN_PANEL_H_
