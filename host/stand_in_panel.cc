#include "host/stand_in_panel.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <sstream>

#include "host/host_platform.h"

namespace qkhost {

StandInPanel::StandInPanel(int32_t type, const HostPanelControl* controls, bool utf8)
    : type_(type), utf8_(utf8) {
  for (const HostPanelControl* c = controls; c != nullptr && c->id != 0; ++c)
    controls_.push_back({c->id, fromPlugin(c->label), c->controlType ? c->controlType : ""});
}

std::string StandInPanel::fromPlugin(const char* text) const {
  if (text == nullptr) return "";
  return utf8_ ? text : utf8FromCodePage(text);
}

void StandInPanel::describe(const HostPanelData* data) {
  data_.clear();
  for (const HostPanelData* d = data; d != nullptr && d->id != 0; ++d)
    data_.push_back({d->id, d->name ? d->name : "", d->dataType ? d->dataType : ""});
}

namespace {

std::string hexId(uint64_t id) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << id;
  return s.str();
}

// Reads the hint at `word` by the rule every hint follows (see HostHintTag)
// and leaves `word` after it; nullopt at the end of the list.
std::optional<PanelHint> readHint(const uintptr_t*& word) {
  if (*word == HOST_HINT_END) return std::nullopt;
  PanelHint hint{*word, word + 1, {}};
  word += 1 + HOST_HINT_ARGUMENT_COUNT(hint.tag);
  if ((hint.tag & HOST_HINT_ID_LIST) != 0) {
    while (*word != 0) hint.ids.push_back(static_cast<uint32_t>(*word++));
    ++word;
  }
  return hint;
}

const char* textOf(uintptr_t word) { return reinterpret_cast<const char*>(word); }

}  // namespace

std::vector<std::string> StandInPanel::applyHints(uint32_t /*id*/, const uintptr_t* hints) {
  std::vector<std::string> unknown;
  const uintptr_t* word = hints;
  for (std::optional<PanelHint> hint; hints != nullptr && (hint = readHint(word));) {
    if (!applyHint(*hint))
      unknown.push_back("unknown hint tag " + hexId(hint->tag) + " at word " +
                        std::to_string(hint->arguments - 1 - hints));
  }
  return unknown;
}

bool StandInPanel::applyHint(const PanelHint& hint) {
  const uintptr_t* argument = hint.arguments;
  auto target = [argument] { return static_cast<uint32_t>(argument[0]); };  // most tags' first word
  switch (hint.tag) {
    case HOST_HINT_LABEL:
      (target() == 0 ? label_ : labels_[target()]) = fromPlugin(textOf(argument[1]));
      return true;
    case HOST_HINT_CHANGE_NOTIFY:
      changeNotify_ = reinterpret_cast<HostPanelChangeFunc>(argument[0]);
      return true;
    case HOST_HINT_STRING_LIST:
      choices_[target()].clear();
      for (auto list = reinterpret_cast<const char* const*>(argument[1]); list && *list; ++list)
        choices_[target()].push_back(fromPlugin(*list));
      return true;
    case HOST_HINT_MIN:
      limits_[target()].minimum = static_cast<int32_t>(argument[1]);
      return true;
    case HOST_HINT_MAX:
      limits_[target()].maximum = static_cast<int32_t>(argument[1]);
      return true;
    case HOST_HINT_HARD_LIMITS:
      limits_[target()].clampMinimum = argument[1] != 0;
      limits_[target()].clampMaximum = argument[2] != 0;
      return true;
    case HOST_HINT_GROUP:
      groups_[target()] = hint.ids;
      return true;
    case HOST_HINT_TABS:
      tabs_[target()] = hint.ids;
      return true;
    case HOST_HINT_ENABLE:
      for (uint32_t dependent : hint.ids) enableRules_.emplace_back(target(), dependent);
      return true;
    default:
      return false;
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
    std::string& handed = handedOut_[id];
    handed = utf8_ ? *it->second : codePageText(*it->second);
    return handed.data();
  }
  return &integers_[id];
}

void StandInPanel::set(uint32_t id, void* value) {
  const PanelDatum* d = datum(id);
  if (d == nullptr) return;
  if (d->type == "string") {
    const char* text = static_cast<const char*>(value);
    texts_[id] = text ? std::optional<std::string>(fromPlugin(text)) : std::nullopt;
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
      auto name = labels_.find(id);
      if (name != labels_.end()) out << "  -- " << name->second << " --\n";
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
      auto group = groups_.find(tab);
      if (group == groups_.end()) {
        renderMembers(out, {tab}, shown);
      } else if (shown.insert(tab).second) {  // the tab's label is its heading, not a line
        renderMembers(out, group->second, shown);
      }
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
