#include "fuzz/backup_name_oracle.h"

#include <algorithm>

namespace qkfuzz {

namespace {

// Per format: is the base the name whole, the separator, the extension.
struct FormatRule {
  bool wholeName;
  char separator;
  const char* extension;
};

constexpr FormatRule kRules[10] = {
    {false, '_', ".lwo"}, {false, '.', ""},     {true, '.', ""},      {false, '.', ".lwo"},
    {false, '_', ".zip"}, {false, '.', ".zip"}, {true, '.', ".zip"},  {false, '_', ".7z"},
    {false, '.', ".7z"},  {true, '.', ".7z"},
};

bool allDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The extensions a pinned mark goes before; any other name takes it at its end.
const char* const kPinnableExtensions[] = {".lwo", ".zip", ".7z"};

bool endsWithFolded(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && foldAscii(text.substr(text.size() - suffix.size())) == suffix;
}

int32_t saturatedValue(const std::string& digits) {
  int64_t value = 0;
  for (char c : digits) value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
  return static_cast<int32_t>(value);
}

}  // namespace

std::string foldAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::optional<BackupSeries> seriesOf(int32_t format, bool isBak, const std::string& name) {
  if (format < 0 || format > 9) return std::nullopt;
  const FormatRule& rule = kRules[format];
  BackupSeries s;
  size_t dot = name.rfind('.');
  s.stem = dot == std::string::npos ? name : name.substr(0, dot);
  s.base = rule.wholeName ? name : s.stem;
  s.separator = rule.separator;
  s.token = isBak ? "bak" : "";
  s.extension = rule.extension;
  // Formats with no extension, and those with the name whole, take only
  // names with base ".": the others base, anything, extension.
  s.dotAfterBase = s.extension.empty() || rule.wholeName;
  return s;
}

std::optional<int32_t> backupNumber(const BackupSeries& s, const std::string& found) {
  const size_t minimum = s.base.size() + s.token.size() + 2 + s.extension.size();
  if (found.size() < minimum) return std::nullopt;
  const std::string folded = foldAscii(found);
  if (folded.compare(0, s.base.size(), foldAscii(s.base)) != 0 ||
      folded.compare(found.size() - s.extension.size(), s.extension.size(), s.extension) != 0)
    return std::nullopt;
  if (s.dotAfterBase && found[s.base.size()] != '.') return std::nullopt;
  const std::string middle =
      folded.substr(s.base.size(), found.size() - s.base.size() - s.extension.size());
  // base, separator, token, digits
  const std::string lead = std::string(1, s.separator) + s.token;
  if (middle.compare(0, lead.size(), lead) == 0 && allDigits(middle.substr(lead.size())))
    return saturatedValue(middle.substr(lead.size()));
  // with no token, a base that ends in the separator may take the digits directly
  if (s.token.empty() && !s.base.empty() && s.base.back() == s.separator && allDigits(middle))
    return saturatedValue(middle);
  return std::nullopt;
}

std::optional<int32_t> pinnedBackupNumber(const BackupSeries& s, const std::string& found) {
  const std::string mark = " (pinned)";
  size_t extension = 0;
  for (const std::string candidate : kPinnableExtensions)
    if (endsWithFolded(found, candidate)) extension = candidate.size();
  if (found.size() < mark.size() + extension + 1) return std::nullopt;
  const size_t markAt = found.size() - extension - mark.size();
  if (found.compare(markAt, mark.size(), mark) != 0) return std::nullopt;
  const std::string unpinned = found.substr(0, markAt) + found.substr(found.size() - extension);
  // The mark goes at the end only of a name with none of those extensions.
  if (extension == 0)
    for (const char* candidate : kPinnableExtensions)
      if (endsWithFolded(unpinned, candidate)) return std::nullopt;
  return backupNumber(s, unpinned);
}

std::string backupFileName(const BackupSeries& s, int64_t width, int32_t number) {
  std::string digits = std::to_string(number);
  if (static_cast<int64_t>(digits.size()) < width)
    digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return s.base + s.separator + s.token + digits + s.extension;
}

int64_t backupFileNameLength(const BackupSeries& s, int64_t width, int32_t number) {
  int64_t digits = std::max<int64_t>(width, static_cast<int64_t>(std::to_string(number).size()));
  return static_cast<int64_t>(s.base.size() + 1 + s.token.size() + s.extension.size()) + digits;
}

size_t searchPatternLength(const BackupSeries& s) { return std::min<size_t>(s.stem.size(), 239) + 1; }

}  // namespace qkfuzz
