#include "hostapi/host_text.h"

#include "hostapi/host_services.h"
#include "platform/text.h"

const char* textFromHost(const char* text, std::string* buffer) {
  if (text == nullptr || hostServices.textEncoding == kHostTextUtf8) return text;
  return platformCodePageToUtf8(text, buffer) ? buffer->c_str() : text;
}

const char* textToHost(const char* text, std::string* buffer) {
  if (text == nullptr || hostServices.textEncoding == kHostTextUtf8) return text;
  std::string valid;
  if (!platformToUtf8(text, &valid)) return text;
  platformUtf8ToCodePage(text, buffer);  // '?' for what the code page cannot spell
  return buffer->c_str();
}
