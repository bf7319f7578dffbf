#include "backups/backup_owner.h"

#include <string>

#include "archive/entry_name.h"
#include "archive/zip_writer.h"
#include "platform/text.h"

namespace {

const char kCommentPrefix[] = ZIP_COMMENT_PREFIX;

template <typename Unit>
Unit foldUnit(Unit c) {
  if (c == '\\') return '/';
  return platformFoldAscii(c);
}

// True iff `a` and `b` hold the same units, ASCII letters in any case and
// either separator alike. Any unit of a UTF-8 or UTF-16 character beyond
// ASCII lies outside A..Z and the separators, so it compares as it is.
template <typename Text>
bool sameRecorded(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldUnit(a[i]) != foldUnit(b[i])) return false;
  return true;
}

}  // namespace

BackupOwner ownerOf(const BackupOrigin& origin, const char* objectPath) {
  const char* file = entryNameOf(objectPath);
  int utf8 = 0;
  if (!origin.zipName.empty() && !sameRecorded(origin.zipName, zipText(file, &utf8))) return kOwnerOtherObject;
  if (!origin.sevenZipName.empty() && !sameRecorded(origin.sevenZipName, entryNameUtf16(file)))
    return kOwnerOtherObject;
  if (origin.zipComment.compare(0, sizeof kCommentPrefix - 1, kCommentPrefix) != 0) return kOwnerUnproven;
  std::string recorded = zipText((kCommentPrefix + std::string(objectPath)).c_str(), &utf8);
  return sameRecorded(origin.zipComment, recorded) ? kOwnerThisObject : kOwnerOtherObject;
}
