// Win32 implementation of the platform layer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stddef.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/file_transfer.h"
#include "platform/folder_listing.h"
#include "platform/platform.h"
#include "platform/platform_fault.h"

namespace {

uint64_t fromFileTime(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME toFileTime(uint64_t value) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(value);
  t.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return t;
}

PlatformError errorFromCode(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return kPlatformFileNotFound;
    case ERROR_PATH_NOT_FOUND: return kPlatformPathNotFound;
    case ERROR_DIRECTORY: return kPlatformPathNotFound;  // a file where a folder should be
    case ERROR_ACCESS_DENIED: return kPlatformAccessDenied;
    case ERROR_FILE_EXISTS: return kPlatformFileExists;
    case ERROR_ALREADY_EXISTS: return kPlatformFileExists;
    case ERROR_SHARING_VIOLATION: return kPlatformBusy;
    case ERROR_LOCK_VIOLATION: return kPlatformBusy;
    case ERROR_FILENAME_EXCED_RANGE: return kPlatformNameTooLong;
    default: return kPlatformIoError;
  }
}


bool isDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Tries of an operation on a file that another program holds for a moment
// (a virus scanner, the search indexer, a sync client), and the growth of
// the wait before each further try: 25 ms, 50 ms, ... 1.1 s in all.
constexpr int kBusyTries = 10;
constexpr DWORD kBusyDelayStepMs = 25;

// Returns `path` (UTF-8) in UTF-16. A path that is no valid UTF-8 holds
// code-page bytes the host boundary carried through, and is read in the
// ANSI code page. "" when neither reads.
std::wstring widePath(const char* path) {
  UINT codePage = CP_UTF8;
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (length == 0) length = MultiByteToWideChar(codePage = CP_ACP, 0, path, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  if (length == 0 || MultiByteToWideChar(codePage, 0, path, -1, &wide[0], length) == 0) return L"";
  wide.resize(static_cast<size_t>(length) - 1);  // less the terminator
  return wide;
}

// Returns `path` as a full wide path after \\?\ (or \\?\UNC\ for a share),
// which no MAX_PATH limit applies to; "" when it cannot be made.
std::wstring longPath(const char* path) {
  std::wstring wide = widePath(path);
  if (wide.empty()) return L"";
  if (wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size > 0 ? size : 1, L'\0');
  size = size > 0 ? GetFullPathNameW(wide.c_str(), size, &full[0], nullptr) : 0;
  if (size == 0 || size >= full.size()) return L"";
  full.resize(size);
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Returns true iff `code`, the error of a call on the file `path` (a long
// path), is one that another program causes while it holds the file: a
// sharing or lock violation, or access denied to a file that is not
// read-only (one that is refuses for good). Keeps the last error.
bool isBusy(DWORD code, const std::wstring& path) {
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return true;
  if (code != ERROR_ACCESS_DENIED) return false;
  DWORD attributes = GetFileAttributesW(path.c_str());
  SetLastError(code);
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

// Runs `attempt` (which returns true on success and sets the last error on
// failure) on the file `path` (a long path) until it succeeds, fails
// otherwise than busy, or has been tried kBusyTries times. Each try counts
// as a call of `operation` and may be failed by an injected fault. Returns
// true iff a try succeeded; the last error is then that of the last try.
template <typename Attempt>
bool tryWhileBusy(PlatformOperation operation, const std::wstring& path, Attempt attempt) {
  for (int tried = 1;; ++tried) {
    if (!platformFaulted(operation) && attempt()) return true;
    if (tried == kBusyTries || !isBusy(GetLastError(), path)) return false;
    Sleep(kBusyDelayStepMs * static_cast<DWORD>(tried));
  }
}

// Returns the error for a call that failed with the last error, where
// "" for `path` meant that the path could not be converted: too long.
PlatformError lastError(const std::wstring& path) {
  return path.empty() ? kPlatformNameTooLong : errorFromCode(GetLastError());
}

}  // namespace

// ---------------------------------------------------------------------------
// Directory search: FindFirstFileW does the matching; file_search.cc orders
// the entries, since only NTFS delivers them sorted.

namespace {

// Fills `data` with the found entry, its name in UTF-8. Returns false for
// "." and "..", and for a name that is no valid UTF-16 (no name the
// plug-in makes).
bool describeEntry(const WIN32_FIND_DATAW& found, PlatformFindData* data) {
  int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, found.cFileName, -1, data->name,
                                   sizeof data->name, nullptr, nullptr);
  data->attributes = found.dwFileAttributes;
  return length > 0 && !isDotEntry(data->name);
}

}  // namespace

PlatformError platformListMatches(const char* pattern, std::vector<PlatformFindData>* entries) {
  std::wstring wide = longPath(pattern);
  WIN32_FIND_DATAW found;
  HANDLE handle = INVALID_HANDLE_VALUE;
  tryWhileBusy(kPlatformOpFindFirst, L"", [&] {
    handle = wide.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(wide.c_str(), &found);
    return handle != INVALID_HANDLE_VALUE;
  });
  if (handle == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND && !wide.empty() ? kPlatformOk : lastError(wide);
  PlatformFindData data;
  do {
    if (describeEntry(found, &data)) entries->push_back(data);
  } while (FindNextFileW(handle, &found));
  DWORD code = GetLastError();
  FindClose(handle);
  return code == ERROR_NO_MORE_FILES ? kPlatformOk : errorFromCode(code);
}

// ---------------------------------------------------------------------------
// Files and folders by path.

int platformDeleteFile(const char* path) {
  std::wstring file = longPath(path);
  return tryWhileBusy(kPlatformOpDelete, file, [&] { return DeleteFileW(file.c_str()) != 0; });
}

int platformMakeDirectory(const char* path) {
  if (PlatformError error = platformInjectedFault(kPlatformOpMakeDirectory)) return platformErrnoOf(error);
  std::wstring folder = longPath(path);
  return CreateDirectoryW(folder.c_str(), nullptr) ? 0 : platformErrnoOf(lastError(folder));
}

int platformPathStatus(const char* path, int* isDirectory) {
  if (platformFaulted(kPlatformOpPathStatus)) return 0;
  DWORD attributes = GetFileAttributesW(longPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  *isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
  return 1;
}

int platformFileIdentity(const char* path, PlatformFileIdentity* identity) {
  if (platformFaulted(kPlatformOpFileIdentity)) return 0;
  // No access asked and every sharing allowed: the query disturbs no one
  // (FILE_FLAG_BACKUP_SEMANTICS lets a folder be asked too).
  HANDLE handle = CreateFileW(longPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return 0;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return 1;
}

namespace {

// Fills `facts` for the file open as `handle` (a reparse point not
// followed) and sets `*reparse` iff it is a reparse point of any kind.
bool factsOf(HANDLE handle, PlatformEntryFacts* facts, bool* reparse) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  *reparse = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (*reparse && !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return false;
  facts->isLink = *reparse && IsReparseTagNameSurrogate(tag.ReparseTag) ? 1 : 0;
  facts->isRegular = !facts->isLink && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
  facts->linkCount = info.nNumberOfLinks;
  facts->identity.volume = info.dwVolumeSerialNumber;
  facts->identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

int platformEntryFacts(const char* path, PlatformEntryFacts* facts) {
  if (platformFaulted(kPlatformOpEntryFacts)) return 0;
  HANDLE handle = CreateFileW(longPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  bool reparse = false;
  bool known = factsOf(handle, facts, &reparse);
  CloseHandle(handle);
  return known ? 1 : 0;
}

// A published name is on disk already (platformPublish flushes the renamed
// file, which commits the volume's log, its new name included), and Win32
// offers no flush of a folder through an ANSI path.
int platformSyncFolder(const char* /*path*/) {
  PlatformError error = platformInjectedFault(kPlatformOpSyncFolder);
  return error == kPlatformOk || error == kPlatformAccessDenied;
}

// ---------------------------------------------------------------------------
// Open files. A staged file always has its staging name. It is held open
// without delete sharing from its creation until it is published (renamed
// through that very handle) and closed, so that no other process can
// delete or rename it meanwhile; an unpublished one is deleted through it.

struct PlatformFile {
  HANDLE handle;
  bool writeFailed;
  bool staged;              // not yet published: closing removes it
  bool replaces;            // kPlatformStageReplace
  std::string stagingPath;
};

namespace {

// Largest amount handed to one ReadFile or WriteFile call.
constexpr size_t kMaxTransfer = 1u << 30;
// The buffer a copy goes through.
constexpr DWORD kCopyBuffer = 1u << 20;

PlatformFile* wrap(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new PlatformFile{handle, false, false, false, ""};
}

DWORD transferSize(size_t remaining) {
  return static_cast<DWORD>(remaining < kMaxTransfer ? remaining : kMaxTransfer);
}

// Closes the file's handle, if still open. Returns false when closing fails.
bool closeHandle(PlatformFile* file) {
  if (file->handle == INVALID_HANDLE_VALUE) return true;
  bool closed = CloseHandle(file->handle) != 0;
  file->handle = INVALID_HANDLE_VALUE;
  return closed;
}

}  // namespace

namespace {

// Set while platformOpenRead refuses a last part that is a link.
int refuseLinks = 0;

// Opens `path` as platformOpenRead does, with `flags`.
HANDLE openForReading(const char* path, DWORD flags) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::wstring wide = longPath(path);
  tryWhileBusy(kPlatformOpOpenRead, wide, [&] {
    handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         flags, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  return handle;
}

// Returns `file`, opened from `path` with its reparse point not followed,
// unless it is a link (closed then, null returned). Another reparse point
// (a cloud placeholder, a deduplicated file) is opened again as usual, so
// that its filter delivers its bytes; the name cannot change meanwhile, as
// `file` shares no deletion, and the file opened must be the one checked.
PlatformFile* unlessLink(PlatformFile* file, const char* path) {
  PlatformEntryFacts facts, reopened;
  bool reparse = false, again = false;
  if (!factsOf(file->handle, &facts, &reparse) || facts.isLink) {
    platformClose(file);
    return nullptr;
  }
  if (!reparse) return file;
  PlatformFile* plain = wrap(openForReading(path, FILE_ATTRIBUTE_NORMAL));
  bool same = plain != nullptr && factsOf(plain->handle, &reopened, &again) &&
              sameFile(facts.identity, reopened.identity);
  platformClose(file);
  if (same) return plain;
  platformClose(plain);
  return nullptr;
}

}  // namespace

int platformRefuseLinksOnRead(int refuse) {
  int replaced = refuseLinks;
  refuseLinks = refuse;
  return replaced;
}

PlatformFile* platformOpenRead(const char* path) {
  // Others may read and write the file meanwhile, as with the C runtime's
  // fopen: a host or a tool that holds it open for writing does not stop
  // a backup.
  PlatformFile* file =
      wrap(openForReading(path, refuseLinks ? FILE_FLAG_OPEN_REPARSE_POINT : FILE_ATTRIBUTE_NORMAL));
  if (file != nullptr && refuseLinks) file = unlessLink(file, path);
  if (file == nullptr || GetFileType(file->handle) == FILE_TYPE_DISK) return file;
  platformClose(file);  // a pipe or a device: a read could wait for ever
  return nullptr;
}

int platformReadSome(PlatformFile* file, void* buffer, size_t* size) {
  size_t wanted = *size;
  size_t done = 0;
  while (done < wanted) {
    DWORD n = 0;
    if (!ReadFile(file->handle, static_cast<char*>(buffer) + done, transferSize(wanted - done), &n, nullptr)) {
      *size = done;
      return 0;
    }
    if (n == 0) break;  // end of file
    done += n;
  }
  *size = done;
  return 1;
}

void platformWriteSome(PlatformFile* file, const void* buffer, size_t* size) {
  size_t wanted = *size;
  size_t done = 0;
  while (done < wanted) {
    DWORD n = 0;
    if (!WriteFile(file->handle, static_cast<const char*>(buffer) + done, transferSize(wanted - done), &n, nullptr) ||
        n == 0)
      break;
    done += n;
  }
  *size = done;
}

void platformMarkWriteFailed(PlatformFile* file) { file->writeFailed = true; }

int platformSeek(PlatformFile* file, int64_t offset, PlatformSeekOrigin origin, uint64_t* position) {
  static const DWORD method[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (platformFaulted(kPlatformOpSeek)) return 0;
  LARGE_INTEGER distance;
  LARGE_INTEGER at;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(file->handle, distance, &at, method[origin])) return 0;
  if (position != nullptr) *position = static_cast<uint64_t>(at.QuadPart);
  return 1;
}

int platformFileLength(PlatformFile* file, uint64_t* length) {
  LARGE_INTEGER size;
  if (platformFaulted(kPlatformOpFileLength) || !GetFileSizeEx(file->handle, &size)) return 0;
  *length = static_cast<uint64_t>(size.QuadPart);
  return 1;
}

int platformFileTimes(PlatformFile* file, uint64_t* creationTime, uint64_t* lastWriteTime) {
  FILETIME created;
  FILETIME written;
  if (platformFaulted(kPlatformOpFileTimes) || !GetFileTime(file->handle, &created, nullptr, &written)) return 0;
  *creationTime = fromFileTime(created);
  *lastWriteTime = fromFileTime(written);
  return 1;
}

int platformSyncFile(PlatformFile* file) {
  return !platformFaulted(kPlatformOpSyncFile) && FlushFileBuffers(file->handle) != 0;
}

int platformCopyInto(PlatformFile* source, PlatformFile* target, const PlatformReadTap* tap) {
  if (platformFaulted(kPlatformOpCopy)) {
    target->writeFailed = true;
    return 0;
  }
  std::vector<char> buffer(kCopyBuffer);
  bool ok = true;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(source->handle, buffer.data(), kCopyBuffer, &n, nullptr)) ok = false;
    if (!ok || n == 0) break;
    if (tap != nullptr) tap->see(tap->context, buffer.data(), n);
    size_t size = n;
    platformWriteSome(target, buffer.data(), &size);
    if (size != n) ok = false;
  }
  FILETIME written;
  ok = ok && GetFileTime(source->handle, nullptr, nullptr, &written) &&
       SetFileTime(target->handle, nullptr, nullptr, &written);
  if (!ok) target->writeFailed = true;
  return ok;
}

int platformClose(PlatformFile* file) {
  if (file == nullptr) return 1;
  bool fault = platformFaulted(kPlatformOpClose);
  FILE_DISPOSITION_INFO discard = {TRUE};
  bool deleting = file->staged && SetFileInformationByHandle(file->handle, FileDispositionInfo, &discard,
                                                             sizeof discard);
  int ok = closeHandle(file) && !file->writeFailed && !fault;
  if (file->staged && !deleting) DeleteFileW(longPath(file->stagingPath.c_str()).c_str());
  delete file;
  return ok;
}

// ---------------------------------------------------------------------------
// Staged files.

// Win32 makes no file without a name.
PlatformFile* platformCreateUnnamed(const char* /*folder*/, PlatformStageMode /*mode*/) { return nullptr; }

PlatformFile* platformCreateNamed(const char* path, PlatformStageMode mode, PlatformError* error) {
  *error = platformInjectedFault(kPlatformOpCreateNamed);
  if (*error != kPlatformOk) return nullptr;
  // CREATE_NEW fails on any entry of that name, a link among them. Others
  // may read the file while it is written, but not delete or rename it.
  // The staging name is 8 characters longer than the backup's, so it is
  // made past MAX_PATH where the backup's own path fits.
  PlatformFile* file = wrap(CreateFileW(longPath(path).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr) {
    *error = errorFromCode(GetLastError());
    return nullptr;
  }
  file->staged = true;
  file->replaces = mode == kPlatformStageReplace;
  file->stagingPath = path;
  return file;
}

namespace {

// A FILE_RENAME_INFO naming `target` (a wide path, terminated), laid out
// in a buffer of its own: the name runs on past the end of the struct.
std::vector<char> renameInfo(const std::wstring& target, bool replace) {
  size_t nameBytes = target.size() * sizeof(WCHAR);
  std::vector<char> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(WCHAR));
  FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(nameBytes);
  memcpy(info->FileName, target.c_str(), nameBytes + sizeof(WCHAR));
  return buffer;
}

}  // namespace

// Renamed through the staging handle, which keeps the file from other
// processes until it is closed: none can delete it in between.
int platformPublish(PlatformFile* file, const char* path, PlatformError* error) {
  *error = kPlatformOk;
  std::wstring target = longPath(path);
  if (!file->staged || file->writeFailed || target.empty()) {
    file->writeFailed = true;
    *error = target.empty() ? kPlatformNameTooLong : kPlatformIoError;
    return 0;
  }
  std::vector<char> info = renameInfo(target, file->replaces);
  if (!tryWhileBusy(kPlatformOpPublish, target, [&] {
        return SetFileInformationByHandle(file->handle, FileRenameInfo, info.data(),
                                          static_cast<DWORD>(info.size())) != 0;
      })) {
    *error = errorFromCode(GetLastError());
    return 0;
  }
  file->staged = false;
  // Commits the new name to disk; if that fails, closing the file fails.
  if (!FlushFileBuffers(file->handle)) file->writeFailed = true;
  return 1;
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING fails on a taken name; the
// write-through flag returns only once the new name is on disk.
int platformRenameNoReplace(const char* from, const char* to, PlatformError* error) {
  std::wstring source = longPath(from), target = longPath(to);
  if (source.empty() || target.empty()) {
    *error = kPlatformNameTooLong;
    return 0;
  }
  *error = kPlatformOk;
  if (!tryWhileBusy(kPlatformOpRename, source, [&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
      }))
    *error = errorFromCode(GetLastError());
  return *error == kPlatformOk;
}

// The writer holds its staging file open without delete sharing: deleting it
// fails until the writer has closed it, or was killed. Its creation time is
// that of the staging file, whatever time the copy gave its last write.
int platformRemoveAbandoned(const char* path, uint64_t writtenBefore) {
  if (platformFaulted(kPlatformOpRemoveAbandoned)) return 0;
  std::wstring file = longPath(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return 0;
  DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((data.dwFileAttributes & refused) != 0 || fromFileTime(data.ftCreationTime) >= writtenBefore ||
      fromFileTime(data.ftLastWriteTime) >= writtenBefore)
    return 0;
  return DeleteFileW(file.c_str()) != 0;
}

// ---------------------------------------------------------------------------
// Time and machine.

uint64_t platformCurrentFileTime() {
  if (platformFaulted(kPlatformOpCurrentTime)) return 0;
  SYSTEMTIME now;
  FILETIME t;
  GetSystemTime(&now);
  if (!SystemTimeToFileTime(&now, &t)) return 0;
  return fromFileTime(t);
}

int platformFileTimeToLocalDos(uint64_t fileTime, uint32_t* dosDateTime) {
  if (platformFaulted(kPlatformOpTimeToDos)) return 0;
  FILETIME utc = toFileTime(fileTime);
  FILETIME local;
  WORD date;
  WORD time;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  *dosDateTime = (static_cast<uint32_t>(date) << 16) | time;
  return 1;
}

// The dynamic time zone information carries each year's rules, so a date
// converts by the rules of its own year.
int platformLocalTimeOf(uint64_t fileTime, PlatformLocalTime* local) {
  if (platformFaulted(kPlatformOpLocalTime)) return 0;
  FILETIME utc = toFileTime(fileTime);
  SYSTEMTIME universal;
  SYSTEMTIME shown;
  DYNAMIC_TIME_ZONE_INFORMATION zone;
  TIME_ZONE_INFORMATION rules;  // the zone's rules in force in that year
  if (!FileTimeToSystemTime(&utc, &universal) || GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID ||
      !GetTimeZoneInformationForYear(universal.wYear, &zone, &rules) ||
      !SystemTimeToTzSpecificLocalTime(&rules, &universal, &shown))
    return 0;
  *local = {shown.wYear, shown.wMonth, shown.wDay, shown.wHour, shown.wMinute};
  return 1;
}

// Applies the bias in force now, as FileTimeToLocalFileTime does for
// platformFileTimeToLocalDos, so that the two give back what they took.
int platformLocalDosToFileTime(uint32_t dosDateTime, uint64_t* fileTime) {
  FILETIME local;
  FILETIME utc;
  if (!DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime), &local) ||
      !LocalFileTimeToFileTime(&local, &utc))
    return 0;
  *fileTime = fromFileTime(utc);
  return 1;
}

uint32_t platformProcessorCount() {
  if (platformFaulted(kPlatformOpProcessorCount)) return 0;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return static_cast<uint32_t>(info.dwNumberOfProcessors);
}
