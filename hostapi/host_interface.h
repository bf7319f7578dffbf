// The host's plug-in interface, as far as this plug-in uses it.
//
// This header is the protocol between the modeling host and QK_RevKeeper.p.
// The plug-in includes it to describe itself and to call the host; the
// stand-in host includes it to load the plug-in and to answer those calls.
// Nothing here comes from a vendor SDK: every record is written from the
// protocol's slot numbers and widths.
//
// Conventions of the protocol:
//   - Ids, command codes, tags and event codes are 32-bit; every other
//     field of a record is one pointer-sized slot (a function pointer or a
//     data pointer), laid out with the platform's natural C alignment.
//   - Service operations are numbered by their pointer-sized slot in the
//     service's record, the first slot being 1. Slots this plug-in never
//     calls are declared as `reserved` so the numbering stays visible.
//   - Texts are zero-terminated 8-bit strings. Interface version 3 and the
//     services of its generation spell them in the system's ANSI code page
//     (on POSIX, UTF-8); interface version 4 and the services of its
//     generation in UTF-8.
#ifndef QK_HOSTAPI_HOST_INTERFACE_H_
#define QK_HOSTAPI_HOST_INTERFACE_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*HostReservedSlot)(void);

// ---------------------------------------------------------------------------
// Module descriptor: the one data symbol a plug-in file exports.

#define HOST_MODULE_SYMBOL "_mod_descrip"
#define HOST_MODULE_SYNC 0x04121994u    // synchronisation word
#define HOST_MODULE_VERSION 3u          // module interface version
#define HOST_MODULE_MACHINE 0x300u      // machine type
#define HOST_INTERFACE_CODE_PAGE 3      // server interface version: texts in the code page
#define HOST_INTERFACE_UTF8 4           // server interface version: texts in UTF-8

// The host's global function: fetches a service by name. `useMode` is
// always 0 here. Returns the service record (or function), or null.
typedef void* (*HostGlobalFunc)(const char* serviceName, int32_t useMode);

// A server's activation function.
//   version     the interface version the host speaks; servers here accept 3
//               and 4
//   global      the host's global function
//   local       the class-specific local argument (for "CommandSequence",
//               a HostCommandInterface*)
//   serverData  the server's own data pointer; not read by this plug-in
// Returns 0 when the server ran; 1 when it refuses the version.
typedef int32_t (*HostActivateFunc)(int32_t version, HostGlobalFunc global,
                                    void* local, void* serverData);

// One pair of a server's tag list; a list ends with {null, 0}.
typedef struct HostServerTag {
  const char* text;
  uint32_t tag;  // HOST_TAG_USER_NAME or HOST_TAG_DESCRIPTION
} HostServerTag;

#define HOST_TAG_USER_NAME 0x0u
#define HOST_TAG_DESCRIPTION 0x40000u

// One server of the module; the table ends with a record of four nulls.
typedef struct HostServerRecord {
  const char* className;     // "CommandSequence" for every server here
  const char* serverName;
  HostActivateFunc activate;
  const HostServerTag* tags;
} HostServerRecord;

typedef struct HostModuleDescriptor {
  uint32_t sync;                     // HOST_MODULE_SYNC
  uint32_t version;                  // HOST_MODULE_VERSION
  uint32_t machine;                  // HOST_MODULE_MACHINE
  void* (*startup)(void);            // returns a non-null pointer-sized value
  void (*shutdown)(void* startupValue);
  const HostServerRecord* servers;
} HostModuleDescriptor;

#define HOST_CLASS_COMMAND_SEQUENCE "CommandSequence"

// ---------------------------------------------------------------------------
// Command interface: the local argument of a "CommandSequence" activation.

// The host's dynamic value. Only the string form is built by this plug-in;
// the union is padded so a host that writes any form of result fits.
#define HOST_DYNAMIC_STRING 1
typedef union HostDynamicValue {
  int32_t type;
  struct {
    int32_t type;        // HOST_DYNAMIC_STRING
    const char* text;    // null for "SAVE"; the file's path for "LOAD"
    int32_t length;      // bytes of `text`, its terminator included; 0 for "SAVE"
  } string;
  unsigned char reserved[64];
} HostDynamicValue;

typedef struct HostCommandInterface {
  void* data;                                                  // slot 1
  const char* argument;                                        // slot 2, not read
  int32_t (*lookup)(void* data, const char* commandName);      // slot 3: code, 0 if none
  int32_t (*execute)(void* data, int32_t commandCode,          // slot 4: 0 on success
                     int32_t argumentCount,
                     const HostDynamicValue* arguments,
                     int32_t selectionMode,                    // 0 here
                     HostDynamicValue* result);                // not read
} HostCommandInterface;

// "SAVE": one string argument whose text is null; the host saves the
// current object over its own file.
#define HOST_COMMAND_SAVE "SAVE"
// "LOAD": one string argument, the path of an object file; the host loads
// it, and the loaded object becomes the one being edited. 0 when loaded.
// A host of interface version 4 reads a text whose length is 0 as UTF-8,
// any other in the code page.
#define HOST_COMMAND_LOAD "LOAD"

// ---------------------------------------------------------------------------
// Services fetched through the global function.
//
// Two generations: the names of interface version 3, whose texts are in the
// code page, and those of version 4, whose records grow only at the end of
// the older layout and whose texts are UTF-8. "LWM: Dynamic Monitor" is the
// older monitor service; "LWM: Dynamic Monitor 2" is the newer.

#define HOST_SERVICE_STATE_QUERY "LWM: State Query 3"
#define HOST_SERVICE_DISPLAY_INFO "Host Display Info"    // fetched, never called
#define HOST_SERVICE_MESSAGES "Info Messages 2"
#define HOST_SERVICE_DIRECTORY_INFO "Directory Info"
#define HOST_SERVICE_SCENE_OBJECTS "Scene Objects 5"     // fetched, never called
#define HOST_SERVICE_PANEL_SERVICES "LWPanelServices"   // fetched, never called
#define HOST_SERVICE_XPANEL "LWXPanel"
#define HOST_SERVICE_DYNAMIC_MONITOR "LWM: Dynamic Monitor"

#define HOST_SERVICE_STATE_QUERY_UTF8 "LWM: State Query 5"
#define HOST_SERVICE_MESSAGES_UTF8 "Info Messages 4"          // slot 5 added, never called
#define HOST_SERVICE_DIRECTORY_INFO_UTF8 "Directory Info 2"
#define HOST_SERVICE_XPANEL_UTF8 "LWXPanel 3"                 // slot 14 added, never called
#define HOST_SERVICE_DYNAMIC_MONITOR_UTF8 "LWM: Dynamic Monitor 2"

// "LWM: State Query 3"
typedef struct HostStateQuery {
  HostReservedSlot reserved1, reserved2, reserved3, reserved4, reserved5;
  const char* (*object)(void);  // slot 6: the current object's file name;
                                // null or empty when it has none
} HostStateQuery;

// "Info Messages 2"
typedef struct HostMessages {
  void (*info)(const char* text, const char* unused);          // slot 1
  void (*error)(const char* firstLine, const char* secondLine);  // slot 2; second may be null
  HostReservedSlot reserved3;                                   // slot 3
  int32_t (*okCancel)(const char* title, const char* firstLine,  // slot 4: non-zero
                      const char* secondLine);                  //   when accepted
} HostMessages;

// "Directory Info" is a function, not a record: given a folder kind
// ("Settings" or "Content"), the folder's path; null or empty when none.
typedef const char* (*HostDirectoryInfo)(const char* folderKind);

#define HOST_FOLDER_SETTINGS "Settings"
#define HOST_FOLDER_CONTENT "Content"

// A progress monitor, created by "LWM: Dynamic Monitor".
typedef struct HostMonitor {
  void* data;                                       // passed back on every call
  void (*init)(void* data, uint32_t total);
  int32_t (*step)(void* data, uint32_t amount);     // result not read
  void (*done)(void* data);
} HostMonitor;

// "LWM: Dynamic Monitor"
typedef struct HostMonitorService {
  HostMonitor* (*create)(const char* title, const char* text);  // slot 1, or null
  void (*destroy)(HostMonitor* monitor);                        // slot 2
} HostMonitorService;

// ---------------------------------------------------------------------------
// "LWXPanel": form panels built from control, data and hint lists.

typedef void* HostPanel;

#define HOST_PANEL_FORM 2

// One control of a panel; a list ends with {0, null, null}.
typedef struct HostPanelControl {
  uint32_t id;
  const char* label;
  const char* controlType;   // "iPopChoice", "integer", "iChoice", "string", "iBoolean"
} HostPanelControl;

// One value of a panel; a list ends with {0, null, null}.
typedef struct HostPanelData {
  uint32_t id;
  const char* name;
  const char* dataType;      // "integer" or "string"
} HostPanelData;

// The change notification registered by HOST_HINT_CHANGE_NOTIFY.
//   eventCode HOST_PANEL_EVENT_VALUE: the value `valueId` has changed.
// Returns HOST_PANEL_REDRAW when the panel must be redrawn, else 0.
typedef int32_t (*HostPanelChangeFunc)(HostPanel panel, uint32_t controlId,
                                       uint32_t valueId, int32_t eventCode);
#define HOST_PANEL_EVENT_VALUE 2
#define HOST_PANEL_REDRAW 2

typedef struct HostXPanel {
  HostReservedSlot reserved1, reserved2;
  HostPanel (*create)(int32_t panelType, const HostPanelControl* controls);  // slot 3, or null
  void (*destroy)(HostPanel panel);                                         // slot 4
  void (*describe)(HostPanel panel, const HostPanelData* data,              // slot 5; get and
                   void* get, void* set);                                   //   set are null
  void (*hint)(HostPanel panel, uint32_t id, const uintptr_t* hints);       // slot 6; id 0
  HostReservedSlot reserved7, reserved8;
  void* (*formGet)(HostPanel panel, uint32_t valueId);                      // slot 9: int32_t*
                                                                            //   or the text
  void (*formSet)(HostPanel panel, uint32_t valueId, void* value);          // slot 10: as slot 9
  HostReservedSlot reserved11, reserved12;
  int32_t (*post)(HostPanel panel);                                         // slot 13: modal;
                                                                            //   non-zero on OK
} HostXPanel;

// Hint lists: a sequence of pointer-sized words, read hint by hint.
//
//   word 1      the tag; a 0 word here ends the whole list (HOST_HINT_END)
//   words 2..   the tag's fixed arguments: as many words as the tag's low
//               7 bits count (HOST_HINT_ARGUMENT_COUNT)
//   then        only when the tag has HOST_HINT_ID_LIST: a list of ids,
//               ended by a 0 word
//
// A reader can therefore step over any hint, known to it or not. Ids and
// numbers are stored in a word as unsigned values (a negative limit is its
// two's complement), texts, text lists and functions as pointers.
#define HOST_HINT_ARGUMENT_COUNT(tag) ((uint32_t)(tag) & 0x7Fu)
#define HOST_HINT_ID_LIST 0x80u

// The hints a panel understands, each with the words that follow its tag.
enum HostHintTag {
  HOST_HINT_END = 0,
  // 1: id (0: the panel itself, else a group or tab), 2: text, 3: 0.
  HOST_HINT_LABEL = 0x3D000B03,
  // 1: the HostPanelChangeFunc called after the user changes a value.
  HOST_HINT_CHANGE_NOTIFY = 0x3D000F01,
  // 1: control id, 2: const char* const* (the choices, ended by null), 3: 0.
  HOST_HINT_STRING_LIST = 0x3D014503,
  // 1: control id, 2: the lowest value offered.
  HOST_HINT_MIN = 0x3D014002,
  // 1: control id, 2: the highest value offered.
  HOST_HINT_MAX = 0x3D014102,
  // 1: control id, 2: 1 when a value below the minimum becomes the minimum
  // (else 0), 3: 1 when a value above the maximum becomes the maximum
  // (else 0).
  HOST_HINT_HARD_LIMITS = 0x3D014703,
  // 1: group id; then the member ids, 0.
  HOST_HINT_GROUP = 0x3D01FE81,
  // 1: tab set id; then the ids of the groups shown as its tabs, 0.
  HOST_HINT_TABS = 0x3D020A81,
  // 1: controlling value id, 2-4: 0; then the dependent ids, 0. Each
  // dependent is enabled while the controlling value is non-zero.
  HOST_HINT_ENABLE = 0x3D01F984
};

#ifdef __cplusplus
}  // extern "C"
#endif

#endif  // QK_HOSTAPI_HOST_INTERFACE_H_
