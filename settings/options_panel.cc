#include "settings/options_panel.h"

// Not built yet: no panel is shown and nothing is stored.
int runOptionsPanel() { return 0; }
