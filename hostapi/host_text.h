// Texts across the host boundary. The plug-in holds every text in the
// system's encoding (platform/text.h); an activation of interface version
// 3 speaks the same, one of version 4 speaks UTF-8. Every text the plug-in
// hands the host, or takes from it, passes through here, converted for the
// running activation (hostServices.textEncoding).
#ifndef QK_HOSTAPI_HOST_TEXT_H_
#define QK_HOSTAPI_HOST_TEXT_H_

#include <stdint.h>

#include <string>

// The encoding of an activation's texts.
enum HostTextEncoding : int32_t {
  kHostTextCodePage = 0,  // interface version 3: the system's code page
  kHostTextUtf8 = 1,      // interface version 4: UTF-8
};

// Returns the host's `text` in the plug-in's encoding: `text` itself when
// it needs no conversion, else its conversion, kept in `*buffer`. Returns
// null for a null `text`, and for one the plug-in's encoding cannot spell
// (a name outside the code page, on Windows).
const char* textFromHost(const char* text, std::string* buffer);

// Returns the plug-in's `text` in the activation's encoding: `text` itself
// when it needs no conversion or cannot be converted (its bytes are then
// carried through), else its conversion, kept in `*buffer`. Null stays null.
const char* textToHost(const char* text, std::string* buffer);

#endif  // QK_HOSTAPI_HOST_TEXT_H_
