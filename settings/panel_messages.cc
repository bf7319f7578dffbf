#include "settings/panel_messages.h"

#include "hostapi/host_services.h"

int askPanelQuestion(const char* firstLine, const char* secondLine) {
  if (hostServices.messages == nullptr) return 0;
  return hostServices.messages->okCancel("QK_RevKeeper", firstLine, secondLine) != 0;
}
