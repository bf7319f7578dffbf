#include "open/open_panel.h"

#include <string>

#include "hostapi/host_services.h"

namespace {

const HostPanelControl kControls[] = {
    {kOpenBackupChoice, "Backup", "iPopChoice"},
    {kOpenBackupAction, "Action", "iChoice"},
    {0, nullptr, nullptr},
};

const HostPanelData kData[] = {
    {kOpenBackupChoice, "Backup", "integer"},
    {kOpenBackupAction, "Action", "integer"},
    {0, nullptr, nullptr},
};

const char* const kActions[] = {"Open", "Pin (Never Delete)", "Unpin", "Pin Current File", nullptr};
constexpr int32_t kActionCount = sizeof kActions / sizeof kActions[0] - 1;

uintptr_t word(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

// Returns the value of the integer control `id` when it lies in 0..count-1; else -1.
int32_t valueBelow(HostXPanel* xpanel, HostPanel panel, uint32_t id, size_t count) {
  const int32_t* value = static_cast<const int32_t*>(xpanel->formGet(panel, id));
  return value != nullptr && *value >= 0 && static_cast<size_t>(*value) < count ? *value : -1;
}

}  // namespace

bool chooseOnOpenPanel(const char* title, const std::vector<std::string>& labels, OpenPanelChoice* choice) {
  HostXPanel* xpanel = hostServices.xpanel;
  if (xpanel == nullptr || labels.empty()) return false;
  std::vector<std::string> converted(labels.size() + 1);
  std::vector<const char*> choices;
  for (size_t i = 0; i < labels.size(); ++i) choices.push_back(textToHost(labels[i].c_str(), &converted[i]));
  choices.push_back(nullptr);
  const uintptr_t hints[] = {
      HOST_HINT_LABEL, 0, word(textToHost(title, &converted.back())), 0,
      HOST_HINT_STRING_LIST, kOpenBackupChoice, word(choices.data()), 0,
      HOST_HINT_STRING_LIST, kOpenBackupAction, word(kActions), 0,
      HOST_HINT_END,
  };
  HostPanel panel = xpanel->create(HOST_PANEL_FORM, kControls);
  if (panel == nullptr) return false;
  xpanel->describe(panel, kData, nullptr, nullptr);
  xpanel->hint(panel, 0, hints);
  int32_t first = 0;
  xpanel->formSet(panel, kOpenBackupChoice, &first);
  xpanel->formSet(panel, kOpenBackupAction, &first);
  bool confirmed = false;
  if (xpanel->post(panel)) {
    int32_t position = valueBelow(xpanel, panel, kOpenBackupChoice, labels.size());
    int32_t action = valueBelow(xpanel, panel, kOpenBackupAction, kActionCount);
    confirmed = position >= 0 && action >= 0;
    *choice = {position, static_cast<OpenAction>(action)};
  }
  xpanel->destroy(panel);
  return confirmed;
}
