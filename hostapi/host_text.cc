#include "hostapi/host_text.h"

#include "hostapi/host_services.h"
#include "platform/text.h"

const char* textFromHost(const char* text, std::string* buffer) {
  if (text == nullptr || hostServices.textEncoding != kHostTextUtf8) return text;
  return platformFromUtf8(text, buffer) ? buffer->c_str() : nullptr;
}

const char* textToHost(const char* text, std::string* buffer) {
  if (text == nullptr || hostServices.textEncoding != kHostTextUtf8) return text;
  return platformToUtf8(text, buffer) ? buffer->c_str() : text;
}
