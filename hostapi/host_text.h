// Texts across the host boundary. The plug-in holds every text in UTF-8
// (platform/text.h); an activation of interface version 4 speaks UTF-8 too,
// one of version 3 the system's ANSI code page (the plug-in cannot learn
// the code page of the host's language choice, so it takes the system's;
// on POSIX that is UTF-8). Every text the plug-in hands the host, or takes
// from it, passes through here, converted for the running activation
// (hostServices.textEncoding).
#ifndef QK_HOSTAPI_HOST_TEXT_H_
#define QK_HOSTAPI_HOST_TEXT_H_

#include <stdint.h>

#include <string>

// The encoding of an activation's texts.
enum HostTextEncoding : int32_t {
  kHostTextCodePage = 0,  // interface version 3: the system's code page
  kHostTextUtf8 = 1,      // interface version 4: UTF-8
};

// Returns the host's `text` in UTF-8: `text` itself when it needs no
// conversion, else its conversion, kept in `*buffer`. A code-page text
// whose bytes are no valid text of the code page (a file named on another
// system, say) is returned as it is, its bytes carried through: the
// archives then store it under the fallback archive/entry_name.h states.
// Null stays null.
const char* textFromHost(const char* text, std::string* buffer);

// Returns the plug-in's `text` in the activation's encoding: `text` itself
// when it needs no conversion, else its conversion, kept in `*buffer`. For
// the code page a character it cannot spell becomes '?', as the host's
// bridge spells it; a text that is no valid UTF-8 (bytes carried through)
// goes back as it came. Null stays null.
const char* textToHost(const char* text, std::string* buffer);

#endif  // QK_HOSTAPI_HOST_TEXT_H_
