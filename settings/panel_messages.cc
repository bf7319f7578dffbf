#include "settings/panel_messages.h"

#include <string>

#include "hostapi/host_services.h"

int askPanelQuestion(const char* firstLine, const char* secondLine) {
  if (hostServices.messages == nullptr) return 0;
  std::string first, second;
  return hostServices.messages->okCancel("QK_RevKeeper", textToHost(firstLine, &first),
                                         textToHost(secondLine, &second)) != 0;
}
