// Win32 implementation of the platform layer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <direct.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/folder_listing.h"
#include "platform/platform.h"
#include "platform/file_transfer.h"
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
    case ERROR_NO_MORE_FILES: return kPlatformNoMoreFiles;
    case ERROR_FILE_EXISTS: return kPlatformFileExists;
    case ERROR_ALREADY_EXISTS: return kPlatformFileExists;
    default: return kPlatformIoError;
  }
}


bool isDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

}  // namespace

// Returns true, with the last error set to the injected error, when this
// call of `operation` is to fail.
bool platformFaulted(PlatformOperation operation) {
  PlatformError error = platformInjectedFault(operation);
  if (error == kPlatformOk) return false;
  SetLastError(static_cast<DWORD>(error));  // the codes are Win32's own
  return true;
}

// ---------------------------------------------------------------------------
// Directory search: FindFirstFileA does the matching; file_search.cc orders
// the entries, since only NTFS delivers them sorted.

PlatformError platformListMatches(const char* pattern, std::vector<PlatformFindData>* entries) {
  static_assert(sizeof(PlatformFindData::name) == sizeof(WIN32_FIND_DATAA::cFileName),
                "a found name is one Windows path");
  WIN32_FIND_DATAA found;
  HANDLE handle = FindFirstFileA(pattern, &found);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND ? kPlatformOk : errorFromCode(code);
  }
  PlatformFindData data;
  do {
    if (isDotEntry(found.cFileName)) continue;
    memcpy(data.name, found.cFileName, sizeof data.name);
    data.attributes = found.dwFileAttributes;
    data.lastWriteTime = fromFileTime(found.ftLastWriteTime);
    entries->push_back(data);
  } while (FindNextFileA(handle, &found));  // any failure ends the listing
  FindClose(handle);
  return kPlatformOk;
}

// ---------------------------------------------------------------------------
// Files and folders by path.

int platformDeleteFile(const char* path) { return !platformFaulted(kPlatformOpDelete) && DeleteFileA(path) != 0; }

int platformMakeDirectory(const char* path) {
  if (PlatformError error = platformInjectedFault(kPlatformOpMakeDirectory)) return platformErrnoOf(error);
  return _mkdir(path) == 0 ? 0 : errno;
}

int platformPathStatus(const char* path, int* isDirectory) {
  struct _stat64 status;
  if (platformFaulted(kPlatformOpPathStatus) || _stat64(path, &status) != 0) return 0;
  *isDirectory = (status.st_mode & _S_IFDIR) != 0 ? 1 : 0;
  return 1;
}

int platformFileIdentity(const char* path, PlatformFileIdentity* identity) {
  if (platformFaulted(kPlatformOpFileIdentity)) return 0;
  // No access asked and every sharing allowed: the query disturbs no one
  // (FILE_FLAG_BACKUP_SEMANTICS lets a folder be asked too).
  HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known) return 0;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return 1;
}

// A published name is on disk already (MoveFileExA with
// MOVEFILE_WRITE_THROUGH returns only then), and Win32 offers no flush of
// a folder through an ANSI path.
int platformSyncFolder(const char* /*path*/) {
  PlatformError error = platformInjectedFault(kPlatformOpSyncFolder);
  return error == kPlatformOk || error == kPlatformAccessDenied;
}

// ---------------------------------------------------------------------------
// Open files. A staged file always has its staging name, opened without
// sharing so that no other save can remove it while it is written; it is
// closed before it is moved to its published name.

struct PlatformFile {
  HANDLE handle;  // INVALID_HANDLE_VALUE once closed for publishing
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

PlatformFile* platformOpenRead(const char* path) {
  if (platformFaulted(kPlatformOpOpenRead)) return nullptr;
  PlatformFile* file = wrap(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr || GetFileType(file->handle) == FILE_TYPE_DISK) return file;
  platformClose(file);  // a pipe or a device: a read could wait for ever
  return nullptr;
}

PlatformFile* platformCreate(const char* path, PlatformCreateMode mode) {
  if (platformFaulted(kPlatformOpCreate)) return nullptr;
  DWORD disposition = mode == kPlatformCreateExclusive ? CREATE_NEW : CREATE_ALWAYS;
  return wrap(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
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
  int ok = closeHandle(file) && !file->writeFailed && !fault;
  if (file->staged) DeleteFileA(file->stagingPath.c_str());
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
  // may read the file while it is written, but not delete it.
  PlatformFile* file =
      wrap(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr) {
    *error = errorFromCode(GetLastError());
    return nullptr;
  }
  file->staged = true;
  file->replaces = mode == kPlatformStageReplace;
  file->stagingPath = path;
  return file;
}

int platformPublish(PlatformFile* file, const char* path, PlatformError* error) {
  *error = platformInjectedFault(kPlatformOpPublish);
  if (*error != kPlatformOk) return 0;
  if (!file->staged || file->writeFailed || !closeHandle(file)) {
    file->writeFailed = true;
    *error = kPlatformIoError;
    return 0;
  }
  DWORD flags = MOVEFILE_WRITE_THROUGH | (file->replaces ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(file->stagingPath.c_str(), path, flags)) {
    *error = errorFromCode(GetLastError());
    return 0;
  }
  file->staged = false;
  return 1;
}

// The writer holds its staging file open without delete sharing: deleting it
// fails until the writer has closed it, or was killed. Its creation time is
// that of the staging file, whatever time the copy gave its last write.
int platformRemoveAbandoned(const char* path, uint64_t writtenBefore) {
  if (platformFaulted(kPlatformOpRemoveAbandoned)) return 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((data.dwFileAttributes & refused) != 0 || fromFileTime(data.ftCreationTime) >= writtenBefore ||
      fromFileTime(data.ftLastWriteTime) >= writtenBefore)
    return 0;
  return DeleteFileA(path) != 0;
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

uint32_t platformProcessorCount() {
  if (platformFaulted(kPlatformOpProcessorCount)) return 0;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return static_cast<uint32_t>(info.dwNumberOfProcessors);
}
