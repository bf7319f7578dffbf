#include "host/stand_in_panel.h"

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

bool StandInPanel::userSetInteger(uint32_t id, int32_t value) {
  const PanelDatum* d = datum(id);
  if (d == nullptr || d->type == "string") return false;
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

bool StandInPanel::userSetText(uint32_t id, std::optional<std::string> value) {
  const PanelDatum* d = datum(id);
  if (d == nullptr || d->type != "string") return false;
  texts_[id] = std::move(value);
  notifyChange(id);
  return true;
}

int32_t StandInPanel::runSession(const PanelSession& session) {
  for (const PanelAction& action : session) {
    switch (action.kind) {
      case PanelAction::SetInteger: userSetInteger(action.id, action.integer); break;
      case PanelAction::SetText: userSetText(action.id, action.text); break;
      case PanelAction::Ok: return 1;
      case PanelAction::Cancel: return 0;
    }
  }
  return 0;
}

namespace {

std::string hexId(uint32_t id) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << id;
  return s.str();
}

}  // namespace

int32_t StandInPanel::runInteractive(std::istream& in, std::ostream& out) {
  for (;;) {
    out << "== " << label_ << " ==\n";
    for (const PanelControl& c : controls_) {
      out << "  " << hexId(c.id) << "  " << c.label << ": ";
      auto choice = choices_.find(c.id);
      if (c.type == "string") {
        auto t = text(c.id);
        out << '"' << (t ? *t : "") << '"';
      } else if (choice != choices_.end()) {
        int32_t v = integer(c.id).value_or(0);
        out << v << " ("
            << (v >= 0 && static_cast<size_t>(v) < choice->second.size() ? choice->second[v] : "?")
            << ")";
      } else {
        out << integer(c.id).value_or(0);
      }
      if (!isEnabled(c.id)) out << "  [disabled]";
      out << '\n';
    }
    out << "Enter ID=VALUE to change a value, 'ok' or 'cancel': " << std::flush;
    std::string line;
    if (!std::getline(in, line) || line == "cancel") return 0;
    if (line == "ok") return 1;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    char* end = nullptr;
    std::string idText = line.substr(0, eq);
    uint32_t id = static_cast<uint32_t>(std::strtoul(idText.c_str(), &end, 0));
    std::string value = line.substr(eq + 1);
    const PanelDatum* d = datum(id);
    if (d == nullptr || !isEnabled(id)) {
      out << "no enabled value " << hexId(id) << '\n';
    } else if (d->type == "string") {
      userSetText(id, value);
    } else {
      try {
        userSetInteger(id, std::stoi(value));
      } catch (const std::exception&) {
        out << "not a number: " << value << '\n';
      }
    }
  }
}

}  // namespace qkhost
