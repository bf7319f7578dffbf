// BackupList: the recognised backups of one object, kept in ascending order
// of their numbers while the backup namer decides which ones to prune.
//
// A list lives for one call of the namer. It owns its entries: an entry
// handed to it is freed with the list unless takeFirst hands it back.
#ifndef QK_BACKUPS_BACKUP_LIST_H_
#define QK_BACKUPS_BACKUP_LIST_H_

#include <stdint.h>

#include <memory>
#include <string>
#include <utility>

// One recognised backup: its number and its file name as the listing gave it.
struct BackupEntry {
  BackupEntry(int32_t number, const char* name) : number(number), name(name) {}
  BackupEntry(int32_t number, const char* name, std::string digits)
      : number(number), name(name), digits(std::move(digits)) {}

  int32_t number;  // above 2147483647 as 2147483647
  std::string name;
  std::string digits;  // the number as the name writes it ("0031"); empty when not from a name
  BackupEntry* previous = nullptr;  // links, owned by the list
  BackupEntry* next = nullptr;
};

// Returns the number of `a` minus the number of `b`, saturated to the
// 32-bit signed range, so its sign orders the two entries.
int32_t compareEntries(const BackupEntry& a, const BackupEntry& b);

using EntryComparison = int32_t (*)(const BackupEntry& a, const BackupEntry& b);

class BackupList {
 public:
  BackupList() = default;
  ~BackupList();
  BackupList(const BackupList&) = delete;
  BackupList& operator=(const BackupList&) = delete;

  // Puts `entry` before every other entry.
  void pushFront(std::unique_ptr<BackupEntry> entry);
  // Puts `entry` after every other entry.
  void pushBack(std::unique_ptr<BackupEntry> entry);
  // Puts `entry` before the first entry it compares below, else last, so
  // entries that compare equal keep the order they were inserted in. The
  // last entry is compared first: a listing in ascending order costs one
  // comparison per entry.
  void insertSorted(std::unique_ptr<BackupEntry> entry, EntryComparison compare);
  // Unlinks the first entry and hands it back; null when the list is empty.
  std::unique_ptr<BackupEntry> takeFirst();

  const BackupEntry* first() const { return first_; }
  int32_t count() const { return count_; }

 private:
  // Links `entry` directly before `successor` (which is not null).
  void insertBefore(BackupEntry* successor, std::unique_ptr<BackupEntry> entry);

  BackupEntry* first_ = nullptr;
  BackupEntry* last_ = nullptr;
  int32_t count_ = 0;
};

#endif  // QK_BACKUPS_BACKUP_LIST_H_
