#include "backups/owned_string.h"

#include <stdlib.h>
#include <string.h>

OwnedString::~OwnedString() { free(text_); }

OwnedString& OwnedString::assign(const char* value) {
  if (value == text_ && value != nullptr) return *this;
  free(text_);
  text_ = nullptr;
  if (value != nullptr) {
    size_t size = strlen(value) + 1;
    text_ = static_cast<char*>(malloc(size));
    if (text_ == nullptr) abort();  // out of memory ends the activation
    memcpy(text_, value, size);
  }
  return *this;
}
