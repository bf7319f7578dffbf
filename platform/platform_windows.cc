// Win32 implementation of the platform layer.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <direct.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

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

namespace {

// Flushes the new copy `path` to stable storage. Returns false only when
// the flush itself fails; a copy that cannot be opened for writing (it
// kept the source's read-only attribute) is left as CopyFileA wrote it.
bool flushCopy(const char* path) {
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return true;
  bool flushed = FlushFileBuffers(handle) != 0;
  CloseHandle(handle);
  return flushed;
}

}  // namespace

int platformCopyFile(const char* source, const char* target) {
  if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) return 0;  // never touch what exists
  if (!CopyFileA(source, target, TRUE)) {
    // The target did not exist a moment ago: what stands there now is a
    // partial copy of ours, unless another program created it meanwhile.
    if (GetLastError() != ERROR_FILE_EXISTS) DeleteFileA(target);
    return 0;
  }
  if (!platformFaulted(kPlatformOpCopy) && flushCopy(target)) return 1;
  DeleteFileA(target);
  return 0;
}

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

int platformReplaceFile(const char* from, const char* to) {
  if (platformFaulted(kPlatformOpReplace)) return 0;
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int platformRenameNoReplace(const char* from, const char* to) {
  if (platformFaulted(kPlatformOpRenameNoReplace)) return 0;
  return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != 0;
}

// MoveFileExA with MOVEFILE_WRITE_THROUGH returns only once the new name is
// on disk, and Win32 offers no flush of a folder through an ANSI path.
int platformSyncFolder(const char* /*path*/) { return !platformFaulted(kPlatformOpSyncFolder); }

// ---------------------------------------------------------------------------
// Open files.

struct PlatformFile {
  HANDLE handle;
  bool writeFailed;
};

namespace {

// Largest amount handed to one ReadFile or WriteFile call.
constexpr size_t kMaxTransfer = 1u << 30;

PlatformFile* wrap(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new PlatformFile{handle, false};
}

DWORD transferSize(size_t remaining) {
  return static_cast<DWORD>(remaining < kMaxTransfer ? remaining : kMaxTransfer);
}

}  // namespace

PlatformFile* platformOpenRead(const char* path) {
  if (platformFaulted(kPlatformOpOpenRead)) return nullptr;
  return wrap(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
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

int platformClose(PlatformFile* file) {
  if (file == nullptr) return 1;
  bool fault = platformFaulted(kPlatformOpClose);
  int ok = CloseHandle(file->handle) != 0 && !file->writeFailed && !fault;
  delete file;
  return ok;
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
