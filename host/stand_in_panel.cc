#include "host/stand_in_panel.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <sstream>

namespace qkhost {

StandInPanel::StandInPanel(int32_t type, const HostPanelControl* controls) : type_(type) {
  for (const HostPanelControl* c = controls; c != nullptr && c->id != 0; ++c)
    controls_.push_back({c->id, c->label ? c->label : "", c->controlType ? c->controlType : ""});
}

void StandInPanel::describe(const HostPanelData* data) {
  data_.clear();
  for (const HostPanelData* d = data; d != nullptr && d->id != 0; ++d)
    data_.push_back({d->id, d->name ? d->name : "", d->dataType ? d->dataType : ""});
}

namespace {

// Reads the ids that follow a group or tab hint, up to their 0.
std::vector<uint32_t> readIdList(const uintptr_t*& word) {
  std::vector<uint32_t> ids;
  while (*word != 0) ids.push_back(static_cast<uint32_t>(*word++));
  ++word;
  return ids;
}

}  // namespace

void StandInPanel::applyHints(uint32_t /*id*/, const uintptr_t* hints) {
  for (const uintptr_t* word = hints; word != nullptr && *word != HOST_HINT_END;) {
    switch (*word++) {
      case HOST_HINT_LABEL: {
        uint32_t target = static_cast<uint32_t>(*word++);
        const char* text = reinterpret_cast<const char*>(*word++);
        if (target == 0) label_ = text ? text : "";
        else labels_[target] = text ? text : "";
        break;
      }
      case HOST_HINT_CHANGE_NOTIFY:
        changeNotify_ = reinterpret_cast<HostPanelChangeFunc>(*word++);
        break;
      case HOST_HINT_STRING_LIST: {
        uint32_t target = static_cast<uint32_t>(*word++);
        auto list = reinterpret_cast<const char* const*>(*word++);
        std::vector<std::string>& choices = choices_[target];
        choices.clear();
        for (; list != nullptr && *list != nullptr; ++list) choices.push_back(*list);
        break;
      }
      case HOST_HINT_MIN: {
        PanelLimit& limit = limits_[static_cast<uint32_t>(word[0])];
        limit.minimum = static_cast<int32_t>(word[1]);
        limit.clampMinimum = word[2] != 0;
        word += 3;
        break;
      }
      case HOST_HINT_MAX: {
        PanelLimit& limit = limits_[static_cast<uint32_t>(word[0])];
        limit.maximum = static_cast<int32_t>(word[1]);
        limit.clampMaximum = word[2] != 0;
        word += 3;
        break;
      }
      case HOST_HINT_GROUP: {
        uint32_t target = static_cast<uint32_t>(*word++);
        groups_[target] = readIdList(word);
        break;
      }
      case HOST_HINT_TABS: {
        uint32_t target = static_cast<uint32_t>(*word++);
        tabs_[target] = readIdList(word);
        break;
      }
      case HOST_HINT_ENABLE:
        enableRules_.emplace_back(static_cast<uint32_t>(word[0]), static_cast<uint32_t>(word[1]));
        word += 2;
        break;
      default:
        return;  // an unknown tag: its arguments cannot be skipped
    }
  }
}

const PanelDatum* StandInPanel::datum(uint32_t id) const {
  for (const PanelDatum& d : data_)
    if (d.id == id) return &d;
  return nullptr;
}

const PanelControl* StandInPanel::control(uint32_t id) const {
  for (const PanelControl& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

void* StandInPanel::get(uint32_t id) {
  const PanelDatum* d = datum(id);
  if (d == nullptr) return nullptr;
  if (d->type == "string") {
    auto it = texts_.find(id);
    if (it == texts_.end() || !it->second) return nullptr;
    return const_cast<char*>(it->second->c_str());
  }
  return &integers_[id];
}

void StandInPanel::set(uint32_t id, void* value) {
  const PanelDatum* d = datum(id);
  if (d == nullptr) return;
  if (d->type == "string") {
    const char* text = static_cast<const char*>(value);
    texts_[id] = text ? std::optional<std::string>(text) : std::nullopt;
  } else if (value != nullptr) {
    integers_[id] = *static_cast<const int32_t*>(value);
  }
}

std::optional<int32_t> StandInPanel::integer(uint32_t id) const {
  auto it = integers_.find(id);
  if (it == integers_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> StandInPanel::text(uint32_t id) const {
  auto it = texts_.find(id);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

bool StandInPanel::isEnabled(uint32_t id) const {
  for (const auto& [controlling, dependent] : enableRules_) {
    if (dependent != id) continue;
    auto value = integer(controlling);
    if (!value || *value == 0) return false;
  }
  return true;
}

void StandInPanel::notifyChange(uint32_t id) {
  if (changeNotify_ != nullptr) changeNotify_(this, id, id, HOST_PANEL_EVENT_VALUE);
}

namespace {

std::string hexId(uint32_t id) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << id;
  return s.str();
}

// Stores why an edit of `id` is refused and returns false.
bool refuse(std::string* why, uint32_t id, const std::string& problem) {
  if (why != nullptr) *why = hexId(id) + ": " + problem;
  return false;
}

// The number of values a choice or switch control offers; 0 for others.
size_t choiceCount(const PanelControl& c, const std::map<uint32_t, std::vector<std::string>>& choices) {
  auto list = choices.find(c.id);
  if (list != choices.end()) return list->second.size();
  return c.type == "iBoolean" ? 2 : 0;
}

}  // namespace

const PanelControl* StandInPanel::editable(uint32_t id, const char* dataType,
                                           std::string* why) const {
  const PanelControl* c = control(id);
  const PanelDatum* d = datum(id);
  if (c == nullptr || d == nullptr) refuse(why, id, "no such control");
  else if (d->type != dataType) refuse(why, id, "takes " + d->type + " values");
  else if (!isEnabled(id)) refuse(why, id, "disabled");
  else return c;
  return nullptr;
}

bool StandInPanel::userSetInteger(uint32_t id, int32_t value, std::string* why) {
  const PanelControl* c = editable(id, "integer", why);
  if (c == nullptr) return false;
  size_t count = choiceCount(*c, choices_);
  if (count != 0 && (value < 0 || static_cast<size_t>(value) >= count))
    return refuse(why, id, "takes 0 to " + std::to_string(count - 1));
  auto limit = limits_.find(id);
  if (limit != limits_.end()) {
    const PanelLimit& l = limit->second;
    if (l.minimum && l.clampMinimum && value < *l.minimum) value = *l.minimum;
    if (l.maximum && l.clampMaximum && value > *l.maximum) value = *l.maximum;
  }
  integers_[id] = value;
  notifyChange(id);
  return true;
}

bool StandInPanel::userSetText(uint32_t id, std::optional<std::string> value, std::string* why) {
  if (editable(id, "string", why) == nullptr) return false;
  texts_[id] = std::move(value);
  notifyChange(id);
  return true;
}

std::optional<int32_t> StandInPanel::parseTyped(const PanelControl& c,
                                                const std::string& typed) const {
  auto list = choices_.find(c.id);
  if (list != choices_.end()) {
    const std::vector<std::string>& names = list->second;
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == typed) return static_cast<int32_t>(i);
  }
  if (c.type == "iBoolean" && (typed == "on" || typed == "off")) return typed == "on" ? 1 : 0;
  errno = 0;
  char* end = nullptr;
  long long number = std::strtoll(typed.c_str(), &end, 10);
  if (typed.empty() || *end != '\0' || errno != 0 || number < INT32_MIN || number > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(number);
}

bool StandInPanel::userEnter(uint32_t id, const std::string& typed, std::string* why) {
  const PanelDatum* d = datum(id);
  if (d != nullptr && d->type == "string") return userSetText(id, typed, why);
  const PanelControl* c = editable(id, "integer", why);
  if (c == nullptr) return false;
  std::optional<int32_t> value = parseTyped(*c, typed);
  if (!value) return refuse(why, id, "not a value: " + typed);
  return userSetInteger(id, *value, why);
}

int32_t StandInPanel::runSession(const PanelSession& session) {
  for (const PanelAction& action : session) {
    std::string why;
    bool done = true;
    switch (action.kind) {
      case PanelAction::SetInteger: done = userSetInteger(action.id, action.integer, &why); break;
      case PanelAction::SetText: done = userSetText(action.id, action.text, &why); break;
      case PanelAction::Enter: done = userEnter(action.id, action.text.value_or(""), &why); break;
      case PanelAction::Ok: return 1;
      case PanelAction::Cancel: return 0;
    }
    if (!done) refusals_.push_back(why);
  }
  return 0;
}

void StandInPanel::renderControl(std::ostream& out, const PanelControl& c) const {
  out << "  " << hexId(c.id) << "  " << c.label << ": ";
  auto list = choices_.find(c.id);
  int32_t value = integer(c.id).value_or(0);
  if (c.type == "string") {
    auto t = text(c.id);
    out << (t ? '"' + *t + '"' : std::string("(none)"));
  } else if (c.type == "iBoolean") {
    out << (value != 0 ? "on" : "off");
  } else {
    out << value;
    if (list != choices_.end() && value >= 0 && static_cast<size_t>(value) < list->second.size())
      out << " (" << list->second[static_cast<size_t>(value)] << ")";
  }
  auto limit = limits_.find(c.id);
  if (limit != limits_.end()) {
    const PanelLimit& l = limit->second;
    out << "  [" << (l.minimum ? std::to_string(*l.minimum) : "") << ".."
        << (l.maximum ? std::to_string(*l.maximum) : "") << "]";
  }
  if (!isEnabled(c.id)) out << "  (disabled)";
  out << '\n';
  if (list == choices_.end()) return;
  out << "          choices:";
  for (size_t i = 0; i < list->second.size(); ++i)
    out << (i ? " |" : "") << ' ' << i << ' ' << list->second[i];
  out << '\n';
}

void StandInPanel::renderMembers(std::ostream& out, const std::vector<uint32_t>& ids,
                                 std::set<uint32_t>& shown) const {
  for (uint32_t id : ids) {
    if (!shown.insert(id).second) continue;  // each control once, and no group inside itself
    auto group = groups_.find(id);
    if (group != groups_.end()) {
      renderMembers(out, group->second, shown);
    } else if (const PanelControl* c = control(id)) {
      renderControl(out, *c);
    }
  }
}

void StandInPanel::render(std::ostream& out) const {
  out << "== " << label_ << " ==\n";
  std::set<uint32_t> shown;
  for (const auto& [tabSet, tabIds] : tabs_) {
    for (uint32_t tab : tabIds) {
      auto name = labels_.find(tab);
      out << "[" << (name != labels_.end() ? name->second : hexId(tab)) << "]\n";
      renderMembers(out, {tab}, shown);
    }
  }
  std::vector<uint32_t> rest;
  for (const PanelControl& c : controls_)
    if (!shown.count(c.id)) rest.push_back(c.id);
  if (!rest.empty() && !shown.empty()) out << "[other]\n";
  renderMembers(out, rest, shown);
}

std::optional<PanelAction> parsePanelLine(const std::string& line) {
  if (line == "ok") return PanelAction::ok();
  if (line == "cancel") return PanelAction::cancel();
  size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0) return std::nullopt;
  std::string idText = line.substr(0, equals);
  errno = 0;
  char* end = nullptr;
  unsigned long id = std::strtoul(idText.c_str(), &end, 0);
  if (*end != '\0' || errno != 0 || id == 0 || id > UINT32_MAX) return std::nullopt;
  return PanelAction::enter(static_cast<uint32_t>(id), line.substr(equals + 1));
}

int32_t StandInPanel::runInteractive(std::istream& in, std::ostream& out) {
  render(out);
  for (;;) {
    out << "ID=VALUE edits a value; 'show', 'ok' or 'cancel': " << std::flush;
    std::string line;
    if (!std::getline(in, line)) return 0;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::optional<PanelAction> action = parsePanelLine(line);
    if (!action) {
      if (line != "show") out << "not understood: " << line << '\n';
      render(out);
      continue;
    }
    if (action->kind == PanelAction::Ok) return 1;
    if (action->kind == PanelAction::Cancel) return 0;
    std::string why;
    if (userEnter(action->id, *action->text, &why)) render(out);
    else out << why << '\n';
  }
}

}  // namespace qkhost
