#include "open/open_panel.h"

#include "hostapi/host_services.h"

namespace {

const HostPanelControl kControls[] = {
    {kOpenBackupChoice, "Backup", "iPopChoice"},
    {0, nullptr, nullptr},
};

const HostPanelData kData[] = {
    {kOpenBackupChoice, "Backup", "integer"},
    {0, nullptr, nullptr},
};

uintptr_t word(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

}  // namespace

int32_t chooseBackupOnPanel(const char* title, const std::vector<std::string>& labels) {
  HostXPanel* xpanel = hostServices.xpanel;
  if (xpanel == nullptr || labels.empty()) return -1;
  std::vector<const char*> choices;
  for (const std::string& label : labels) choices.push_back(label.c_str());
  choices.push_back(nullptr);
  const uintptr_t hints[] = {
      HOST_HINT_LABEL, 0, word(title), 0,
      HOST_HINT_STRING_LIST, kOpenBackupChoice, word(choices.data()), 0,
      HOST_HINT_END,
  };
  HostPanel panel = xpanel->create(HOST_PANEL_FORM, kControls);
  if (panel == nullptr) return -1;
  xpanel->describe(panel, kData, nullptr, nullptr);
  xpanel->hint(panel, 0, hints);
  int32_t first = 0;
  xpanel->formSet(panel, kOpenBackupChoice, &first);
  int32_t chosen = -1;
  if (xpanel->post(panel)) {
    const int32_t* value = static_cast<const int32_t*>(xpanel->formGet(panel, kOpenBackupChoice));
    if (value != nullptr && *value >= 0 && static_cast<size_t>(*value) < labels.size()) chosen = *value;
  }
  xpanel->destroy(panel);
  return chosen;
}
