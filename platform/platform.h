// The plug-in's view of the operating system.
//
// Everything the plug-in asks of the file system and the machine goes
// through these plain functions: directory search, deletion, folders,
// files (new ones staged until published), times and the processor count.
// platform_posix.cc implements them here; platform_windows.cc implements
// them on Win32; the build picks one. Paths are UTF-8 (platform/text.h); the
// Win32 calls take them in UTF-16.
//
// Results: functions that return int give 1 for success and 0 for failure.
// Where a caller must tell failures apart, the error is a PlatformError.
//
// On Win32 another program may hold a file for a moment just after it was
// written (a virus scanner, the search indexer, a sync client). Listing a
// folder, opening a file to read it, deleting, renaming and publishing one
// therefore try again while they fail with a sharing violation, a lock
// violation or access denied: up to 10 tries, waiting 25 ms longer before
// each (1.1 s in all). Access denied on a read-only file is a refusal, not
// a hold, and fails at once. Every call takes paths past MAX_PATH.
#ifndef QK_PLATFORM_PLATFORM_H_
#define QK_PLATFORM_PLATFORM_H_

#include <stddef.h>
#include <stdint.h>

// The separator this platform puts between a folder and a name. Both '/'
// and '\\' are accepted wherever a path is read.
#if defined(_WIN32)
#define PLATFORM_SEPARATOR '\\'
#define PLATFORM_SEPARATOR_TEXT "\\"
#define PLATFORM_MAX_NAME 768  // bytes of a found name in UTF-8 (255 UTF-16 units), terminator included
#else
#define PLATFORM_SEPARATOR '/'
#define PLATFORM_SEPARATOR_TEXT "/"
#define PLATFORM_MAX_NAME 260  // bytes of a found name (255 at most), terminator included
#endif

// Error codes, with the values of their Win32 counterparts.
enum PlatformError : int32_t {
  kPlatformOk = 0,
  kPlatformFileNotFound = 2,   // no such file; a search with no matching entry
  kPlatformPathNotFound = 3,   // the folder of a path does not exist
  kPlatformAccessDenied = 5,
  kPlatformBusy = 32,          // another program holds the file or folder (past the retries)
  kPlatformFileExists = 80,    // the target of an exclusive create exists
  kPlatformNameTooLong = 206,  // a name or path longer than the system takes
  kPlatformIoError = 1117,     // any other failure of the device or system
};

// ---------------------------------------------------------------------------
// Directory search.

// File attributes, with their Win32 values.
#define PLATFORM_ATTRIBUTE_DIRECTORY 0x10u
#define PLATFORM_ATTRIBUTE_OFFLINE 0x1000u

struct PlatformFindData {
  char name[PLATFORM_MAX_NAME];  // the entry's name, without folder
  uint32_t attributes;           // PLATFORM_ATTRIBUTE_* bits
};

struct PlatformSearch;

// Starts a search for `pattern`: a folder, a separator ('/' or '\\'), then
// a name in which '*' stands for any run of characters (none included) and
// letters match without regard to ASCII case. On Win32 '?' matches one
// character and a name may also match through its short alias; callers
// that need an exact match check the names they get. Entries come sorted
// by name as an NTFS folder orders them (letters folded to upper case),
// names equal but for case in byte order, so the order is the same on
// every run.
// Returns the search and fills `first`, or returns null with `*error` set:
// kPlatformFileNotFound when the folder holds no matching entry, another
// code when the search cannot start (a missing folder among them).
PlatformSearch* platformFindFirst(const char* pattern, PlatformFindData* first,
                                  PlatformError* error);

// Fills `next` with the search's next entry and returns 1, or returns 0
// when no entry is left: every entry has been delivered, or the listing
// ended early on an error (platformFindError tells which).
int platformFindNext(PlatformSearch* search, PlatformFindData* next);

// Returns kPlatformOk when the search delivers every matching entry of the
// folder, or the error that ended its listing early: then the entries are
// only part of the folder.
PlatformError platformFindError(const PlatformSearch* search);

// Ends a search and frees it. Accepts null.
void platformFindClose(PlatformSearch* search);

// ---------------------------------------------------------------------------
// Files and folders by path.

// Deletes the named file. Returns 1 iff it was deleted.
int platformDeleteFile(const char* path);

// Creates the folder `path`. Returns 0 on success, else the C runtime's
// error number (17 when something of that name exists already).
int platformMakeDirectory(const char* path);

// Asks for the status of `path`. Returns 1 when something exists there and
// sets `*isDirectory` to 1 iff it is a directory; returns 0 otherwise.
int platformPathStatus(const char* path, int* isDirectory);

// What tells one file from every other on the machine, however it is
// reached (through links of any kind, or a second hard link): the device
// and inode on POSIX; the volume serial number and file index on Win32.
struct PlatformFileIdentity {
  uint64_t volume;
  uint64_t index;
};

// Stores in `*identity` the identity of the file `path` names, links
// followed. Returns 1 on success, 0 when nothing is there or it cannot be
// asked.
int platformFileIdentity(const char* path, PlatformFileIdentity* identity);

// Returns true iff `a` and `b` identify the same file.
inline bool sameFile(const PlatformFileIdentity& a, const PlatformFileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

// What a folder entry itself is, a link not followed.
struct PlatformEntryFacts {
  int isLink;     // 1 for a symbolic link; on Win32 a name-surrogate reparse
                  // point (symbolic link, junction, mount point)
  int isRegular;  // 1 for a file that is neither link nor folder (cloud
                  // placeholders and deduplicated files included)
  uint32_t linkCount;             // the hard links to it
  PlatformFileIdentity identity;  // of the entry itself
};

// Stores in `*facts` what the entry `path` names is, without following it
// when it is a link. Returns 1 on success, 0 when nothing is there or it
// cannot be asked.
int platformEntryFacts(const char* path, PlatformEntryFacts* facts);

// Flushes a folder's entries (new names in it) to stable storage. Returns
// 0 when the flush reports an error; 1 when it succeeds, and also when the
// folder cannot be opened for flushing (access denied) or its file system
// flushes no folders, since then nothing can flush it.
int platformSyncFolder(const char* path);

// ---------------------------------------------------------------------------
// Open files.

struct PlatformFile;

// Opens an existing regular file for reading (others may read and write
// it meanwhile). Never waits: a FIFO, a device or a folder is refused at
// once. Returns the file, or null.
PlatformFile* platformOpenRead(const char* path);

// Sets whether platformOpenRead refuses a path whose last part is a link
// (as platformEntryFacts tells one): the file it opened is checked, not
// the name beforehand, so nothing is ever read through such a link.
// Folders on the way may be links. Meant for the command thread. Returns
// the setting it replaces; off at start.
int platformRefuseLinksOnRead(int refuse);

// Reads up to `*size` bytes; sets `*size` to the bytes read, which is less
// only at end of file. Returns 1, or 0 on a read error (`*size` then holds
// what was read before it).
int platformRead(PlatformFile* file, void* buffer, size_t* size);

// Writes `*size` bytes; sets `*size` to the bytes written. Returns 1 iff
// all were written.
int platformWrite(PlatformFile* file, const void* buffer, size_t* size);

enum PlatformSeekOrigin { kPlatformSeekSet, kPlatformSeekCurrent, kPlatformSeekEnd };

// Moves the file position and stores the new absolute position in
// `*position` (which may be null). Returns 1 on success.
int platformSeek(PlatformFile* file, int64_t offset, PlatformSeekOrigin origin, uint64_t* position);

// Stores the file's length in `*length`. Returns 1 on success.
int platformFileLength(PlatformFile* file, uint64_t* length);

// Stores the file's creation and last-write times as FILETIMEs. Where the
// file system keeps no creation time, it is the last-write time.
// Returns 1 on success.
int platformFileTimes(PlatformFile* file, uint64_t* creationTime, uint64_t* lastWriteTime);

// Flushes the file's data to stable storage. Returns 1 on success.
int platformSyncFile(PlatformFile* file);

// Sees every run of bytes a copy reads, in order: `see` is called with
// `context` and the bytes.
struct PlatformReadTap {
  void (*see)(void* context, const void* bytes, size_t size);
  void* context;
};

// Copies `source` from its position to its end into `target`, then gives
// `target` the source's last-write time (and, on POSIX, no permission the
// source lacks). With a `tap` (null for none) the bytes pass through the
// process, and the tap sees each run of them as it is read. Does not
// flush. Returns 1 on success.
int platformCopyInto(PlatformFile* source, PlatformFile* target, const PlatformReadTap* tap);

// Closes the file and frees it; a staged file that was not published is
// removed. Returns 1 when every earlier write reached the file system.
// Accepts null (and returns 1).
int platformClose(PlatformFile* file);

// ---------------------------------------------------------------------------
// Staged files: a new file is written where no other program writes, and
// takes its name only once it is complete (staged_file.h builds on these).

enum PlatformStageMode {
  // Published only under a name that is free. Made as every new file is
  // (0666 less the umask on POSIX); may have no name until published.
  kPlatformStageNew,
  // Published over the file of its name. Readable and writable by its
  // owner only (0600 on POSIX); always has its staging name until then.
  kPlatformStageReplace,
};

// Creates an empty file for writing in `folder` that has no name at all
// until it is published, where the file system can make one (Linux
// O_TMPFILE) and `mode` is kPlatformStageNew. Returns null otherwise.
PlatformFile* platformCreateUnnamed(const char* folder, PlatformStageMode mode);

// Creates the new file `path` for writing: exclusively, never through a
// link, and marked as in use (a lock on POSIX, no delete sharing on Win32)
// so that platformRemoveAbandoned leaves it alone. On Win32 others may read
// it only if they let it be renamed and deleted meanwhile, as virus
// scanners and indexers do. Returns the file, or null with
// `*error` set: kPlatformFileExists when the name is taken.
PlatformFile* platformCreateNamed(const char* path, PlatformStageMode mode, PlatformError* error);

// Gives the staged `file`, written in full, the name `path`: over what is
// there with kPlatformStageReplace; with kPlatformStageNew never replacing
// anything, failing with kPlatformFileExists when the name is taken, the
// file staying staged (to be published under another name, or closed).
// On Win32 no other process can delete or rename the file until it is
// closed. Returns 1 on success, or 0 with `*error` set.
int platformPublish(PlatformFile* file, const char* path, PlatformError* error);

// Gives the file `from` the name `to`, never replacing anything there: on
// POSIX an atomic rename that refuses a taken name, else a hard link and
// the removal of the old name (undone when that fails); on Win32 a move
// that does not replace. Returns 1 on success, or 0 with `*error` set
// (kPlatformFileExists when `to` is taken) and the file still at `from`.
int platformRenameNoReplace(const char* from, const char* to, PlatformError* error);

// Removes the staging file `path` if its writer is gone (killed before it
// published or removed it): a regular file that nobody holds in use, that
// is not read-only, and whose every time stamp (creation, last write and,
// on POSIX, last change) lies before `writtenBefore` (a FILETIME). A live
// writer's file is always fresh, even to a writer that holds no lock this
// platform sees (another system writing to a shared folder). Returns 1 iff
// it was removed.
int platformRemoveAbandoned(const char* path, uint64_t writtenBefore);

// ---------------------------------------------------------------------------
// Time and machine.

// The current time as a FILETIME (UTC).
uint64_t platformCurrentFileTime();

// Converts a FILETIME (UTC) to local time and packs it as a DOS date (high
// 16 bits) and DOS time (low 16 bits). Returns 1 on success; DOS time
// covers 1980 to 2107 only.
int platformFileTimeToLocalDos(uint64_t fileTime, uint32_t* dosDateTime);

// Converts a DOS date (high 16 bits) and DOS time (low 16 bits), read as
// local time, to a FILETIME (UTC): the inverse of
// platformFileTimeToLocalDos. Returns 1 on success, 0 for a date or time
// that names no moment (month 0, hour 24, ...).
int platformLocalDosToFileTime(uint32_t dosDateTime, uint64_t* fileTime);

// A moment as the local calendar and clock show it.
struct PlatformLocalTime {
  int32_t year;    // 1601 and later
  int32_t month;   // 1..12
  int32_t day;     // 1..31
  int32_t hour;    // 0..23
  int32_t minute;  // 0..59
};

// Converts the FILETIME `fileTime` (UTC) to the local time it was on that
// date: by the time zone's rules for that date, daylight saving included,
// not by the offset in force today. Returns 1 on success, 0 for a time the
// system cannot show.
int platformLocalTimeOf(uint64_t fileTime, PlatformLocalTime* local);

// The number of processors the system reports; 0 when it cannot tell.
uint32_t platformProcessorCount();

#endif  // QK_PLATFORM_PLATFORM_H_
