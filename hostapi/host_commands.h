// The host's commands and state that the flows use: the current object's
// name, and the host's own "SAVE" and "LOAD".
//
// Each call uses the services of the running activation (host_services.h).
#ifndef QK_HOSTAPI_HOST_COMMANDS_H_
#define QK_HOSTAPI_HOST_COMMANDS_H_

#include <stdint.h>

// Returns the host's name for the current object, in UTF-8, when a backup can be made of it (a text whose first byte is
// printable ASCII, ending in ".lwo" without regard to ASCII case), else
// null. The text lasts until the next call.
const char* saveableObjectName();

// Looks up the host command "LOAD" and stores its code in loadCommand.
// Returns 1 iff the host knows it.
int lookupHostLoad();

// Executes the host's "SAVE" command. Returns the host's result, 0 meaning
// the object was saved over its file.
int32_t executeHostSave();

// Executes the host's "LOAD" command (looked up by lookupHostLoad) with the
// object file `path`. Returns the host's result, 0 meaning loaded.
int32_t executeHostLoad(const char* path);

#endif  // QK_HOSTAPI_HOST_COMMANDS_H_
