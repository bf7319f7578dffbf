#include "backups/backup_list.h"

#include <utility>

int32_t compareEntries(const BackupEntry& a, const BackupEntry& b) {
  int64_t difference = static_cast<int64_t>(a.number) - b.number;
  if (difference > INT32_MAX) return INT32_MAX;
  if (difference < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(difference);
}

BackupList::~BackupList() {
  while (takeFirst() != nullptr) {
  }
}

void BackupList::pushFront(std::unique_ptr<BackupEntry> entry) {
  if (first_ == nullptr) {
    pushBack(std::move(entry));
    return;
  }
  insertBefore(first_, std::move(entry));
}

void BackupList::pushBack(std::unique_ptr<BackupEntry> entry) {
  BackupEntry* node = entry.release();
  node->previous = last_;
  node->next = nullptr;
  if (last_ != nullptr) {
    last_->next = node;
  } else {
    first_ = node;
  }
  last_ = node;
  ++count_;
}

void BackupList::insertSorted(std::unique_ptr<BackupEntry> entry, EntryComparison compare) {
  if (last_ == nullptr || compare(*entry, *last_) >= 0) {
    pushBack(std::move(entry));
    return;
  }
  BackupEntry* successor = first_;
  while (compare(*entry, *successor) >= 0) successor = successor->next;  // stops at last_ at worst
  insertBefore(successor, std::move(entry));
}

std::unique_ptr<BackupEntry> BackupList::takeFirst() {
  BackupEntry* node = first_;
  if (node == nullptr) return nullptr;
  first_ = node->next;
  if (first_ != nullptr) {
    first_->previous = nullptr;
  } else {
    last_ = nullptr;
  }
  node->next = nullptr;
  --count_;
  return std::unique_ptr<BackupEntry>(node);
}

void BackupList::insertBefore(BackupEntry* successor, std::unique_ptr<BackupEntry> entry) {
  BackupEntry* node = entry.release();
  node->next = successor;
  node->previous = successor->previous;
  if (successor->previous != nullptr) {
    successor->previous->next = node;
  } else {
    first_ = node;
  }
  successor->previous = node;
  ++count_;
}
