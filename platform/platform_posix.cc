// POSIX implementation of the platform layer.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/file_transfer.h"
#include "platform/folder_listing.h"
#include "platform/platform.h"
#include "platform/platform_fault.h"
#include "platform/text.h"

namespace {

// FILETIME counts 100 ns intervals from 1601-01-01; Unix time from 1970-01-01.
constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ull;
constexpr uint64_t kFileTimePerSecond = 10000000ull;

uint64_t toFileTime(const struct timespec& t) {
  return kFileTimeUnixEpoch + static_cast<uint64_t>(t.tv_sec) * kFileTimePerSecond +
         static_cast<uint64_t>(t.tv_nsec) / 100;
}

uint64_t toFileTime(const struct statx_timestamp& t) {
  return toFileTime(timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
}

PlatformError errorFromErrno(int number) {
  switch (number) {
    case ENOENT: return kPlatformPathNotFound;
    case ENOTDIR: return kPlatformPathNotFound;
    case EACCES: return kPlatformAccessDenied;
    case EPERM: return kPlatformAccessDenied;
    case EEXIST: return kPlatformFileExists;
    case ENAMETOOLONG: return kPlatformNameTooLong;
    default: return kPlatformIoError;
  }
}


// Returns true iff `name` matches `pattern`, where '*' matches any run of
// characters (none included), letters match without regard to ASCII case
// and every other character, '?' and '[' among them, only itself.
bool matchesPattern(const char* pattern, const char* name) {
  const char* starPattern = nullptr;  // the last '*' seen, for backtracking
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern != '\0' && platformFoldAscii(*pattern) == platformFoldAscii(*name)) {
      ++pattern;
      ++name;
    } else if (starPattern != nullptr) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

}  // namespace

// ---------------------------------------------------------------------------
// Directory search: the folder is read through readdir and each matching
// entry described through stat (so a link counts as what it points to).

namespace {

// Fills `data` for `name` in `folder`. Returns false when the name is too
// long for a search entry or the entry cannot be described (it vanished,
// or is a link to nothing).
bool describeEntry(const std::string& folder, const char* name, PlatformFindData* data) {
  size_t length = strlen(name);
  if (length >= PLATFORM_MAX_NAME) return false;
  std::string path = folder + "/" + name;
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  memcpy(data->name, name, length + 1);
  data->attributes = S_ISDIR(status.st_mode) ? PLATFORM_ATTRIBUTE_DIRECTORY : 0;
  return true;
}

}  // namespace

PlatformError platformListMatches(const char* pattern, std::vector<PlatformFindData>* entries) {
  size_t after = platformAfterLastSeparator(pattern, strlen(pattern));
  const char* lastSeparator = after > 0 ? pattern + after - 1 : nullptr;
  std::string folder = ".";
  if (lastSeparator == pattern) folder = "/";
  if (lastSeparator > pattern) folder.assign(pattern, static_cast<size_t>(lastSeparator - pattern));
  const char* namePattern = lastSeparator ? lastSeparator + 1 : pattern;

  if (PlatformError fault = platformInjectedFault(kPlatformOpFindFirst))
    return fault == kPlatformFileNotFound ? kPlatformOk : fault;  // "no entry" is an empty folder
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return errorFromErrno(errno);
  PlatformFindData data;
  for (;;) {
    errno = 0;  // readdir tells its end from its failure by errno alone
    struct dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
    if (matchesPattern(namePattern, entry->d_name) && describeEntry(folder, entry->d_name, &data))
      entries->push_back(data);
  }
  PlatformError error = errno != 0 ? errorFromErrno(errno) : kPlatformOk;
  closedir(dir);
  return error;
}

// ---------------------------------------------------------------------------
// Files and folders by path.

int platformDeleteFile(const char* path) { return !platformFaulted(kPlatformOpDelete) && unlink(path) == 0; }

int platformMakeDirectory(const char* path) {
  if (platformFaulted(kPlatformOpMakeDirectory)) return errno;
  return mkdir(path, 0777) == 0 ? 0 : errno;
}

int platformPathStatus(const char* path, int* isDirectory) {
  struct stat status;
  if (platformFaulted(kPlatformOpPathStatus) || stat(path, &status) != 0) return 0;
  *isDirectory = S_ISDIR(status.st_mode) ? 1 : 0;
  return 1;
}

int platformFileIdentity(const char* path, PlatformFileIdentity* identity) {
  struct stat status;
  if (platformFaulted(kPlatformOpFileIdentity) || stat(path, &status) != 0) return 0;
  identity->volume = static_cast<uint64_t>(status.st_dev);
  identity->index = static_cast<uint64_t>(status.st_ino);
  return 1;
}

int platformEntryFacts(const char* path, PlatformEntryFacts* facts) {
  struct stat status;
  if (platformFaulted(kPlatformOpEntryFacts) || lstat(path, &status) != 0) return 0;
  facts->isLink = S_ISLNK(status.st_mode) ? 1 : 0;
  facts->isRegular = S_ISREG(status.st_mode) ? 1 : 0;
  facts->linkCount = static_cast<uint32_t>(status.st_nlink);
  facts->identity = PlatformFileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
  return 1;
}

int platformSyncFolder(const char* path) {
  int fd = platformFaulted(kPlatformOpSyncFolder) ? -1 : open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EPERM;
  int ok = fsync(fd) == 0 || errno == EINVAL;  // EINVAL: this file system flushes no folders
  close(fd);
  return ok;
}

// ---------------------------------------------------------------------------
// Open files. A staged file is written through its descriptor: unnamed
// (O_TMPFILE, published by linkat through /proc) or under its staging name,
// which it holds a lock on until it is published or removed.

struct PlatformFile {
  int fd;
  bool writeFailed;
  bool staged;              // not yet published: closing removes it
  bool replaces;            // kPlatformStageReplace
  std::string stagingPath;  // empty while unnamed
};

namespace {

PlatformFile* wrap(int fd) {
  if (fd < 0) return nullptr;
  return new PlatformFile{fd, false, false, false, ""};
}

// The path through which an unnamed file's descriptor can be linked.
std::string procPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Returns true iff `path` (not followed) is the file open as `fd`.
bool isOpenAs(const char* path, int fd) {
  struct stat named;
  struct stat open;
  return lstat(path, &named) == 0 && fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
         named.st_ino == open.st_ino;
}

// Returns true iff `number` says the file system cannot do what was asked,
// rather than that it refused this rename.
bool unsupported(int number) {
  return number == EINVAL || number == ENOSYS || number == EPERM || number == EOPNOTSUPP;
}

// Renames `from` to `to` only when `to` does not exist. Returns true on
// success; otherwise errno tells why (EEXIST when `to` exists), and `from`
// still has its name.
bool renameNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
  if (!unsupported(errno)) return false;
  // No atomic no-replace rename here: a hard link also fails when the
  // target exists; then the old name goes, or the new one when it cannot.
  if (link(from, to) == 0) {
    if (unlink(from) == 0) return true;
    int cause = errno;
    unlink(to);
    errno = cause;
    return false;
  }
  if (!unsupported(errno)) return false;
  // A file system without either (FAT drives, some shares): look first.
  struct stat status;
  if (lstat(to, &status) == 0) {
    errno = EEXIST;
    return false;
  }
  return errno == ENOENT && rename(from, to) == 0;
}

mode_t permissionsFor(PlatformStageMode mode) { return mode == kPlatformStageReplace ? 0600 : 0666; }

}  // namespace

namespace {

// Set while platformOpenRead refuses a last part that is a link.
int refuseLinks = 0;

}  // namespace

int platformRefuseLinksOnRead(int refuse) {
  int replaced = refuseLinks;
  refuseLinks = refuse;
  return replaced;
}

PlatformFile* platformOpenRead(const char* path) {
  if (platformFaulted(kPlatformOpOpenRead)) return nullptr;
  int noLink = refuseLinks ? O_NOFOLLOW : 0;  // a link then fails the open itself (ELOOP)
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noLink);  // a FIFO would wait for a writer
  if (fd < 0) return nullptr;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
    close(fd);
    return nullptr;
  }
  return wrap(fd);
}

int platformReadSome(PlatformFile* file, void* buffer, size_t* size) {
  size_t wanted = *size;
  size_t done = 0;
  while (done < wanted) {
    ssize_t n = read(file->fd, static_cast<char*>(buffer) + done, wanted - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      *size = done;
      return 0;
    }
    done += static_cast<size_t>(n);
  }
  *size = done;
  return 1;
}

void platformWriteSome(PlatformFile* file, const void* buffer, size_t* size) {
  size_t wanted = *size;
  size_t done = 0;
  while (done < wanted) {
    ssize_t n = write(file->fd, static_cast<const char*>(buffer) + done, wanted - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  *size = done;
}

void platformMarkWriteFailed(PlatformFile* file) { file->writeFailed = true; }

int platformSeek(PlatformFile* file, int64_t offset, PlatformSeekOrigin origin, uint64_t* position) {
  static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (platformFaulted(kPlatformOpSeek)) return 0;
  off_t at = lseek(file->fd, static_cast<off_t>(offset), whence[origin]);
  if (at < 0) return 0;
  if (position != nullptr) *position = static_cast<uint64_t>(at);
  return 1;
}

int platformFileLength(PlatformFile* file, uint64_t* length) {
  struct stat status;
  if (platformFaulted(kPlatformOpFileLength) || fstat(file->fd, &status) != 0) return 0;
  *length = static_cast<uint64_t>(status.st_size);
  return 1;
}

int platformFileTimes(PlatformFile* file, uint64_t* creationTime, uint64_t* lastWriteTime) {
  struct statx status;
  if (platformFaulted(kPlatformOpFileTimes)) return 0;
  if (statx(file->fd, "", AT_EMPTY_PATH, STATX_MTIME | STATX_BTIME, &status) != 0) return 0;
  *lastWriteTime = toFileTime(status.stx_mtime);
  *creationTime = (status.stx_mask & STATX_BTIME) != 0 ? toFileTime(status.stx_btime) : *lastWriteTime;
  return 1;
}

int platformSyncFile(PlatformFile* file) { return !platformFaulted(kPlatformOpSyncFile) && fsync(file->fd) == 0; }

namespace {

// Copies up to `size` bytes in the kernel, from the files' offsets on, and
// adds them to `*done`. Stops early, leaving the rest to copyThroughBuffer,
// when the kernel cannot copy between these files or reports an early end
// (as some kernels do for files they cannot copy in place). Returns false
// on a failure that a copy through user space would meet as well.
bool copyInKernel(int in, int out, off_t size, off_t* done) {
  while (*done < size) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - *done), 0);
    if (n > 0) {
      *done += n;
    } else if (n == 0) {
      return true;
    } else if (errno != EINTR) {
      return errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    }
  }
  return true;
}

// Copies from the files' offsets to the end of `in` through a buffer,
// showing `tap` (when given) each run of bytes read.
bool copyThroughBuffer(int in, int out, const PlatformReadTap* tap) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (tap != nullptr) tap->see(tap->context, buffer, static_cast<size_t>(n));
    for (ssize_t written = 0; written < n;) {
      ssize_t w = write(out, buffer + written, static_cast<size_t>(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      written += w;
    }
  }
}

}  // namespace

int platformCopyInto(PlatformFile* source, PlatformFile* target, const PlatformReadTap* tap) {
  struct stat in;
  struct stat out;
  off_t done = 0;
  // Bytes copied in the kernel never pass a tap: with one, all go through the buffer.
  bool ok = !platformFaulted(kPlatformOpCopy) && fstat(source->fd, &in) == 0 && fstat(target->fd, &out) == 0 &&
            (tap != nullptr || copyInKernel(source->fd, target->fd, in.st_size, &done)) &&
            copyThroughBuffer(source->fd, target->fd, tap);
  if (ok) {
    struct timespec times[2] = {in.st_atim, in.st_mtim};
    ok = futimens(target->fd, times) == 0 && fchmod(target->fd, in.st_mode & out.st_mode & 0777) == 0;
  }
  if (!ok) target->writeFailed = true;
  return ok;
}

int platformClose(PlatformFile* file) {
  if (file == nullptr) return 1;
  bool fault = platformFaulted(kPlatformOpClose);
  // Removed while still locked, so no other save takes the name for its own.
  if (file->staged && !file->stagingPath.empty()) unlink(file->stagingPath.c_str());
  int ok = close(file->fd) == 0 && !file->writeFailed && !fault;
  delete file;
  return ok;
}

// ---------------------------------------------------------------------------
// Staged files.

PlatformFile* platformCreateUnnamed(const char* folder, PlatformStageMode mode) {
  if (mode != kPlatformStageNew || platformFaulted(kPlatformOpCreateUnnamed)) return nullptr;
  PlatformFile* file = wrap(open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, permissionsFor(mode)));
  if (file == nullptr) return nullptr;
  file->staged = true;
  if (access(procPath(file->fd).c_str(), F_OK) == 0) return file;
  platformClose(file);  // no /proc to link it by: it could never be published
  return nullptr;
}

PlatformFile* platformCreateNamed(const char* path, PlatformStageMode mode, PlatformError* error) {
  *error = platformInjectedFault(kPlatformOpCreateNamed);
  if (*error != kPlatformOk) return nullptr;
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissionsFor(mode));
  if (fd < 0) {
    *error = errorFromErrno(errno);
    return nullptr;
  }
  // Another save removing an abandoned file of this name may hold it, or
  // may have removed it before the lock was taken: then the name is not
  // ours to keep. A file system without locks leaves the file unmarked.
  if ((flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) || !isOpenAs(path, fd)) {
    close(fd);
    *error = kPlatformFileExists;
    return nullptr;
  }
  PlatformFile* file = wrap(fd);
  file->staged = true;
  file->replaces = mode == kPlatformStageReplace;
  file->stagingPath = path;
  return file;
}

int platformRenameNoReplace(const char* from, const char* to, PlatformError* error) {
  *error = platformInjectedFault(kPlatformOpRename);
  if (*error == kPlatformOk && !renameNoReplace(from, to)) *error = errorFromErrno(errno);
  return *error == kPlatformOk;
}

int platformPublish(PlatformFile* file, const char* path, PlatformError* error) {
  *error = platformInjectedFault(kPlatformOpPublish);
  if (*error != kPlatformOk) return 0;
  bool done = false;
  if (!file->staged || file->writeFailed) {
    errno = EIO;
  } else if (file->stagingPath.empty()) {
    done = linkat(AT_FDCWD, procPath(file->fd).c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0;
  } else {
    const char* staging = file->stagingPath.c_str();
    done = file->replaces ? rename(staging, path) == 0 : renameNoReplace(staging, path);
  }
  if (!done) {
    *error = errorFromErrno(errno);
    return 0;
  }
  file->staged = false;
  return 1;
}

namespace {

// Returns true iff the file open as `fd` is a regular file that some user
// may write, and its creation (where the file system keeps it), last write
// and last change all lie before `before` (a FILETIME).
bool isStaleWritableFile(int fd, uint64_t before) {
  struct statx status;
  if (statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) return false;
  if (!S_ISREG(status.stx_mode) || (status.stx_mode & 0222) == 0) return false;
  auto fresh = [before](const struct statx_timestamp& t) { return toFileTime(t) >= before; };
  if ((status.stx_mask & STATX_BTIME) != 0 && fresh(status.stx_btime)) return false;
  return !fresh(status.stx_mtime) && !fresh(status.stx_ctime);
}

}  // namespace

int platformRemoveAbandoned(const char* path, uint64_t writtenBefore) {
  if (platformFaulted(kPlatformOpRemoveAbandoned)) return 0;
  int fd = open(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 0;
  // A lock that cannot be taken, or a file system without locks, leaves it.
  bool removed = isStaleWritableFile(fd, writtenBefore) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                 isOpenAs(path, fd) && unlink(path) == 0;
  close(fd);
  return removed;
}

// ---------------------------------------------------------------------------
// Time and machine.

uint64_t platformCurrentFileTime() {
  if (platformFaulted(kPlatformOpCurrentTime)) return 0;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return toFileTime(now);
}

int platformFileTimeToLocalDos(uint64_t fileTime, uint32_t* dosDateTime) {
  if (platformFaulted(kPlatformOpTimeToDos) || fileTime < kFileTimeUnixEpoch) return 0;
  time_t seconds = static_cast<time_t>((fileTime - kFileTimeUnixEpoch) / kFileTimePerSecond);
  struct tm local;
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  uint32_t time = static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  *dosDateTime = (date << 16) | time;
  return 1;
}

int platformLocalTimeOf(uint64_t fileTime, PlatformLocalTime* local) {
  if (platformFaulted(kPlatformOpLocalTime) || fileTime < kFileTimeUnixEpoch) return 0;
  time_t seconds = static_cast<time_t>((fileTime - kFileTimeUnixEpoch) / kFileTimePerSecond);
  struct tm shown;
  if (localtime_r(&seconds, &shown) == nullptr) return 0;
  *local = {shown.tm_year + 1900, shown.tm_mon + 1, shown.tm_mday, shown.tm_hour, shown.tm_min};
  return 1;
}

int platformLocalDosToFileTime(uint32_t dosDateTime, uint64_t* fileTime) {
  struct tm local = {};
  local.tm_year = static_cast<int>(dosDateTime >> 25) + 80;
  local.tm_mon = static_cast<int>((dosDateTime >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((dosDateTime >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((dosDateTime >> 11) & 0x1F);
  local.tm_min = static_cast<int>((dosDateTime >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(dosDateTime & 0x1F) * 2;
  local.tm_isdst = -1;  // the rules in force on that day decide
  struct tm asked = local;
  time_t seconds = mktime(&local);
  // mktime normalises what is out of range (month 13 becomes January); such a date names no moment.
  if (seconds == static_cast<time_t>(-1) || local.tm_mon != asked.tm_mon || local.tm_mday != asked.tm_mday ||
      local.tm_min != asked.tm_min || local.tm_sec != asked.tm_sec)
    return 0;
  *fileTime = kFileTimeUnixEpoch + static_cast<uint64_t>(seconds) * kFileTimePerSecond;
  return 1;
}

uint32_t platformProcessorCount() {
  if (platformFaulted(kPlatformOpProcessorCount)) return 0;
  long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<uint32_t>(count) : 0;
}
