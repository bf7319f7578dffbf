// OwnedString: a heap copy of a zero-terminated 8-bit string, or none.
//
// The save profiles hold their texts (backup directory, global BAK name) in
// OwnedStrings. "None" and an empty copy are different states; callers that
// care about the difference (the settings file) can tell them apart.
#ifndef QK_BACKUPS_OWNED_STRING_H_
#define QK_BACKUPS_OWNED_STRING_H_

class OwnedString {
 public:
  OwnedString() = default;
  ~OwnedString();
  OwnedString(const OwnedString&) = delete;
  OwnedString& operator=(const OwnedString&) = delete;

  // Null frees the current copy and leaves none; the string's own buffer
  // leaves everything as it is; any other text replaces the copy with a new
  // one of the text and its terminating zero. Returns this string.
  OwnedString& assign(const char* value);

  // Returns the copy, or null when the string holds none.
  const char* get() const { return text_; }

 private:
  char* text_ = nullptr;
};

#endif  // QK_BACKUPS_OWNED_STRING_H_
