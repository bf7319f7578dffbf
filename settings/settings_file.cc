#include "settings/settings_file.h"

#include <stdint.h>
#include <string.h>

#include <string>

#include "backups/save_profile.h"
#include "hostapi/host_services.h"
#include "platform/platform.h"
#include "platform/staged_file.h"
#include "platform/text.h"

// The layout of qk_revkeeper.cfg. Every integer is 32-bit little-endian;
// there is no alignment or filler anywhere.
//
//   offset 0   4 bytes   magic "INSV" (49 4E 53 56)
//   offset 4   4 bytes   format version, 1
//   offset 8   chunks, one after the other, up to the end of the file:
//                4 bytes   tag: four ASCII letters in reading order
//                4 bytes   payload length, unsigned
//                length    payload
//
// An integer chunk has length 4 and holds the field's value, with the
// field's own signedness. A string chunk holds the text and its terminating
// zero (length = characters + 1); a string holding none is length 0 with
// no payload, an empty string is length 1.
//
// The writer emits the chunks of storedFields() in order: twelve always
// (176 bytes for the defaults), then these integer chunks, each only when
// its value is not 0 ("N..." the incremental profile, "B..." the BAK one):
//   NSKP, BSKP   the switch to skip unchanged saves
//   NKHR, BKHR   keepHours: keep every backup younger than this many hours
//   NKDY, BKDY   keepDays: keep the newest backup of each day, for this many days
//   NKWK, BKWK   keepWeeks: keep the newest backup of each week, for this many weeks
//   NSIZ, BSIZ   maxTotalMB: a cap on the MB of all backups but the newest
// Absent, each is 0 (the reset's value: off), as in a file of an older
// release; read, a keep rule or cap is brought within 0..kMaxHistoryValue.
// They come after every chunk an older release knows, and such a reader
// skips tags it does not know, so it still reads the rest of the file.
// The reader takes chunks in any order, lets the last of a tag win, and
// skips tags it does not know (up to 0x100000 bytes each, within the
// file). Not stored: each profile's directoryMode, which is derived
// from its directory after every read past the header, and isBak.
//
// String chunks hold their text in the system's code page, which every
// release reads. A text the code page cannot spell, or spells in more than
// the 259 bytes an older release reads, gets no string chunk at all, so
// that an older release keeps its default (for a folder, one below the
// object) rather than a path of '?' or a file it takes for damaged. Every
// text held that is valid UTF-8 but not plain ASCII also gets a twin
// chunk, right after its string chunk (or where that would be), which an
// older release skips:
//   UTF8         tag
//     4 bytes    the tag of the string chunk it twins: PATH, BPAT or BGNM
//     4 bytes    n: the length of the string chunk's payload written beside
//                it, 0xFFFFFFFF when none was written
//     n bytes    that payload, as written
//     rest       the text in UTF-8 and its terminating zero
// The reader takes the twin's text only when the string chunk of its tag
// that it read last (or its absence) is exactly the one the twin records.
// An older release that rewrote the file wrote no twins; one that carried
// a twin over beside a changed string chunk leaves a record that no longer
// matches, and the string chunk wins. A twin of another tag is skipped.

namespace {

constexpr char kFileName[] = "qk_revkeeper.cfg";

constexpr size_t kPathSize = PLATFORM_UTF8_SIZE(259);  // one Windows path, terminator included
constexpr size_t kMaxFolderLength = 240;  // units; leaves room for a separator and kFileName
constexpr unsigned char kMagic[4] = {'I', 'N', 'S', 'V'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 8;
constexpr size_t kChunkHeadSize = 8;
constexpr uint32_t kMaxSkippedLength = 0x100000;
// The longest string chunk read: 259 characters as the file system counts
// them (the most the options panel stores) in the code page or UTF-8, and
// the terminating zero.
constexpr uint32_t kMaxTextLength = PLATFORM_UTF8_SIZE(259);
// The longest string chunk payload an older release reads, terminator
// included; it takes a longer one for damage and reads no further.
constexpr size_t kOlderReleasesTextLength = 260;
constexpr char kTwinTag[] = "UTF8";
constexpr uint32_t kNoChunk = 0xFFFFFFFF;  // a twin's record of no string chunk
// The longest twin chunk read: its tag, its record's length, the
// code-page text it records and its UTF-8 text, each text at most
// kMaxTextLength bytes.
constexpr uint32_t kMaxTwinLength = 8 + 2 * kMaxTextLength;

// One field of the profiles that the file stores.
struct StoredField {
  const char* tag;     // four letters
  void* integer;       // a 32-bit field (int32_t or uint32_t), or null
  OwnedString* text;   // a string field, or null
  bool onlyWhenSet = false;  // an integer field written only when nonzero
};

constexpr size_t kStoredFieldCount = 22;

// The stored fields of the two process-wide profiles, in the writer's order.
const StoredField* storedFields() {
  static_assert(sizeof(SaveProfile::nameFormat) == 4 && sizeof(SaveProfile::maxFiles) == 4,
                "integer chunks copy four bytes");
  SaveProfile& incremental = incrementalProfile();
  BakSaveProfile& bak = bakProfile();
  static const StoredField fields[kStoredFieldCount] = {
      {"NMFM", &incremental.nameFormat, nullptr},
      {"NDIG", &incremental.digits, nullptr},
      {"COMP", &incremental.compressionLevel, nullptr},
      {"FLIM", &incremental.maxFiles, nullptr},
      {"PATH", nullptr, &incremental.directory},
      {"BFMT", &bak.nameFormat, nullptr},
      {"BDIG", &bak.digits, nullptr},
      {"BCMP", &bak.compressionLevel, nullptr},
      {"BLIM", &bak.maxFiles, nullptr},
      {"BUGN", &bak.useGlobalName, nullptr},
      {"BPAT", nullptr, &bak.directory},
      {"BGNM", nullptr, &bak.globalName},
      {"NSKP", &incremental.skipUnchanged, nullptr, true},
      {"BSKP", &bak.skipUnchanged, nullptr, true},
      {"NKHR", &incremental.keepHours, nullptr, true},
      {"NKDY", &incremental.keepDays, nullptr, true},
      {"NKWK", &incremental.keepWeeks, nullptr, true},
      {"NSIZ", &incremental.maxTotalMB, nullptr, true},
      {"BKHR", &bak.keepHours, nullptr, true},
      {"BKDY", &bak.keepDays, nullptr, true},
      {"BKWK", &bak.keepWeeks, nullptr, true},
      {"BSIZ", &bak.maxTotalMB, nullptr, true},
  };
  return fields;
}

// Returns the stored field whose tag is the four bytes at `tag`, or null.
const StoredField* findField(const unsigned char* tag) {
  const StoredField* fields = storedFields();
  for (size_t i = 0; i < kStoredFieldCount; ++i)
    if (memcmp(fields[i].tag, tag, 4) == 0) return &fields[i];
  return nullptr;
}

uint32_t decode32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void encode32(uint32_t value, unsigned char* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// What the reader found for one string field: the payload of the last
// string chunk of its tag, and the last twin of it.
struct TextFound {
  bool read = false;        // a string chunk was read
  std::string payload;      // its payload, as read
  bool twinned = false;     // a twin was read
  std::string twinRecord;   // the payload the twin records
  bool twinRecordsNone = false;  // the twin records that no string chunk was written
  std::string twinText;     // the twin's text, UTF-8
};

// An open settings file being read, and whether the file system failed.
struct Reader {
  PlatformFile* file;
  uint64_t size;      // the file's length when the read began
  bool failed;        // a read or a seek failed: the file could not be read
  TextFound texts[kStoredFieldCount];  // by the index of the field in storedFields()
};

// Returns 1 iff all `size` bytes were read.
int readExactly(Reader* reader, void* buffer, size_t size) {
  size_t got = size;
  if (!platformRead(reader->file, buffer, &got)) reader->failed = true;
  return !reader->failed && got == size;
}

// Returns 1 iff all `size` bytes were written.
int writeExactly(PlatformFile* file, const void* buffer, size_t size) {
  size_t put = size;
  return platformWrite(file, buffer, &put);
}

int readInteger(Reader* reader, uint32_t length, void* field) {
  unsigned char payload[4];
  if (length != sizeof payload || !readExactly(reader, payload, sizeof payload)) return 0;
  uint32_t value = decode32(payload);
  memcpy(field, &value, sizeof value);  // the bit pattern, whatever the field's signedness
  return 1;
}

// A string payload must be read whole and hold a zero byte within its
// length; only the characters before the first zero count. Its text is in
// the system's code page, as every release has written it, and is held in
// UTF-8; bytes that are no text of the code page are carried through. The
// payload is kept in `found`, for the twins to be matched against.
int readText(Reader* reader, uint32_t length, OwnedString* field, TextFound* found) {
  char payload[kMaxTextLength];
  if (length > sizeof payload ||
      (length > 0 && (!readExactly(reader, payload, length) || memchr(payload, '\0', length) == nullptr)))
    return 0;
  found->read = true;
  found->payload.assign(payload, length);
  std::string utf8;
  if (length == 0)
    field->assign(nullptr);
  else
    field->assign(platformCodePageToUtf8(payload, &utf8) ? utf8.c_str() : payload);
  return 1;
}

// Reads a twin chunk (see the layout) into the TextFound of its tag; a twin
// of a tag that is no string field is passed over. Its record must lie
// within it, and its text hold a zero and be valid UTF-8.
int readTwin(Reader* reader, uint32_t length) {
  char payload[kMaxTwinLength];
  if (length < 8 || length > sizeof payload || !readExactly(reader, payload, length)) return 0;
  uint32_t recorded = decode32(reinterpret_cast<unsigned char*>(payload) + 4);
  uint32_t recordLength = recorded == kNoChunk ? 0 : recorded;
  if (recordLength >= length - 8) return 0;
  const char* text = payload + 8 + recordLength;
  std::string utf8;
  if (memchr(text, '\0', length - 8 - recordLength) == nullptr || !platformToUtf8(text, &utf8)) return 0;
  const StoredField* field = findField(reinterpret_cast<unsigned char*>(payload));
  if (field == nullptr || field->text == nullptr) return 1;
  TextFound& found = reader->texts[field - storedFields()];
  found.twinned = true;
  found.twinRecordsNone = recorded == kNoChunk;
  found.twinRecord.assign(payload + 8, recordLength);
  found.twinText = utf8;
  return 1;
}

// Gives each string field its twin's text where the twin records exactly
// the string chunk read for it (or that none was written, and none was read).
void applyTwins(const Reader& reader) {
  const StoredField* fields = storedFields();
  for (size_t i = 0; i < kStoredFieldCount; ++i) {
    const TextFound& found = reader.texts[i];
    bool matches = found.twinRecordsNone ? !found.read : found.read && found.payload == found.twinRecord;
    if (found.twinned && matches) fields[i].text->assign(found.twinText.c_str());
  }
}

int skipChunk(Reader* reader, uint32_t length) {
  if (length > kMaxSkippedLength) return 0;
  uint64_t position = 0;
  if (!platformSeek(reader->file, length, kPlatformSeekCurrent, &position)) reader->failed = true;
  return !reader->failed && position <= reader->size;
}

// Reads the payload of the chunk whose head is `head`. Returns 1 on success.
int readChunk(Reader* reader, const unsigned char* head) {
  uint32_t length = decode32(head + 4);
  if (memcmp(head, kTwinTag, 4) == 0) return readTwin(reader, length);
  const StoredField* field = findField(head);
  if (field == nullptr) return skipChunk(reader, length);
  if (field->integer != nullptr) return readInteger(reader, length, field->integer);
  return readText(reader, length, field->text, &reader->texts[field - storedFields()]);
}

// Reads the chunks from the file's position to its end. Returns 1 when
// every chunk was read; 0 at the first that could not be.
int readChunks(Reader* reader) {
  for (;;) {
    unsigned char head[kChunkHeadSize];
    size_t got = sizeof head;
    if (!platformRead(reader->file, head, &got)) {
      reader->failed = true;  // a read error is not the end of the file
      return 0;
    }
    if (got < sizeof head) return 1;  // the end, perhaps after a few stray bytes
    if (!readChunk(reader, head)) return 0;
  }
}

// Writes the chunk of `tag` (four letters) holding `payload`. Returns 1 iff
// every write succeeded.
int writeChunk(PlatformFile* file, const char* tag, const std::string& payload) {
  unsigned char head[kChunkHeadSize];
  memcpy(head, tag, 4);
  encode32(static_cast<uint32_t>(payload.size()), head + 4);
  return writeExactly(file, head, sizeof head) &&
         (payload.empty() || writeExactly(file, payload.data(), payload.size()));
}

// Writes the string chunk of `field` in the code page, unless the code page
// cannot spell its text within kOlderReleasesTextLength, and then its twin
// when the text is valid UTF-8 but not plain ASCII (see the layout). Bytes
// that are no UTF-8 were carried through from the code page, and go back
// as they are, untwinned.
int writeText(PlatformFile* file, const StoredField& field) {
  const char* text = field.text->get();
  std::string codePage;
  bool isUtf8 = text != nullptr && platformToUtf8(text, &codePage);
  bool spelt = !isUtf8 || (platformUtf8ToCodePage(text, &codePage) && codePage.size() < kOlderReleasesTextLength);
  std::string payload;  // the string chunk's, none for a null text
  if (isUtf8) payload.assign(codePage.c_str(), codePage.size() + 1);
  else if (text != nullptr) payload.assign(text, strlen(text) + 1);
  if (spelt && !writeChunk(file, field.tag, payload)) return 0;
  if (!isUtf8 || platformIsAscii(text)) return 1;
  unsigned char recorded[4];
  encode32(spelt ? static_cast<uint32_t>(payload.size()) : kNoChunk, recorded);
  std::string twin = std::string(field.tag, 4) + std::string(reinterpret_cast<char*>(recorded), 4);
  if (spelt) twin += payload;
  twin.append(text, strlen(text) + 1);
  return writeChunk(file, kTwinTag, twin);
}

int writeField(PlatformFile* file, const StoredField& field) {
  if (field.text != nullptr) return writeText(file, field);
  uint32_t value;
  memcpy(&value, field.integer, sizeof value);
  if (field.onlyWhenSet && value == 0) return 1;
  unsigned char payload[4];
  encode32(value, payload);
  return writeChunk(file, field.tag, std::string(reinterpret_cast<char*>(payload), sizeof payload));
}

// Returns the host's folder of `kind`, or null when it names none.
const char* hostFolder(const char* kind) {
  static std::string converted;  // the folder handed out, until the next call
  const char* folder = textFromHost(hostServices.directoryInfo(kind), &converted);
  return folder != nullptr && folder[0] != '\0' ? folder : nullptr;
}

// True iff `folder` does not depend on a current folder's place: it starts
// with a separator, or with a drive letter and a colon.
bool isRootedFolder(const char* folder) {
  return platformIsSeparator(folder[0]) || (folder[0] != '\0' && folder[1] == ':');
}

// Appends `part` to the `*length` characters of `path`, after the platform's separator unless
// `*length` is 0 or they end in a separator. Returns false, leaving `path`
// alone, when the result would pass kMaxFolderLength characters as the file
// system counts them.
bool appendPart(char* path, size_t* length, const char* part) {
  size_t partLength = strlen(part);
  size_t separator = *length > 0 && !platformEndsInSeparator(path, *length) ? 1 : 0;
  path[*length] = '\0';
  if (platformPathLength(path) + separator + platformPathLength(part) > kMaxFolderLength) return false;
  if (separator) path[(*length)++] = PLATFORM_SEPARATOR;
  memcpy(path + *length, part, partLength + 1);
  *length += partLength;
  return true;
}

// Composes in `path` the folder that holds the settings file: the host's
// "Settings" folder, below its "Content" folder when that one is relative
// (the host's folders may be relative to the content folder), or "Content"
// alone when there is no "Settings" folder. Returns its length; 0 when
// there is none or it passes kMaxFolderLength characters. Each answer is
// copied before the next question, which may reuse the host's buffer.
size_t composeSettingsFolder(char (&path)[kPathSize]) {
  char settings[kPathSize];
  size_t settingsLength = 0;
  const char* folder = hostFolder(HOST_FOLDER_SETTINGS);
  if (folder != nullptr && !appendPart(settings, &settingsLength, folder)) return 0;
  size_t length = 0;
  if (settingsLength > 0 && isRootedFolder(settings)) return appendPart(path, &length, settings) ? length : 0;
  const char* content = hostFolder(HOST_FOLDER_CONTENT);
  if (content != nullptr && !appendPart(path, &length, content)) return 0;
  if (settingsLength > 0 && !appendPart(path, &length, settings)) return 0;
  return length;
}

// Writes the profiles to a new staged file in `folder`, flushed to stable
// storage, and publishes it as `target`, replacing the previous file.
// Returns 1 iff every step succeeded; on a failure before the new file took
// the name, it is removed and the previous file stays as it was.
int writeNewFile(const char* folder, const char* target) {
  removeAbandonedStagingFiles(folder, kFileName);
  PlatformFile* file = createStagedFile(folder, kFileName, kPlatformStageReplace);
  if (file == nullptr) return 0;
  PlatformError error = kPlatformOk;
  int written = writeSettings(file) && platformSyncFile(file) && platformPublish(file, target, &error);
  return platformClose(file) && written;
}

// What the last load made of the settings file.
enum FileState {
  kFileInForce,   // read, or missing, or damaged: the profiles hold what it gave
  kFileUnread,    // there but unreadable: the profiles hold the defaults
  kFileSetAside,  // unreadable, and the options panel's values stand instead
};
FileState fileState = kFileInForce;

// True unless `path` names nothing for certain: it has no status, and a
// search for it finds no such entry or no folder to hold it.
bool somethingAt(const char* path) {
  int isDirectory = 0;
  if (platformPathStatus(path, &isDirectory)) return true;
  PlatformFindData found;
  PlatformError error = kPlatformOk;
  PlatformSearch* search = platformFindFirst(path, &found, &error);
  platformFindClose(search);
  return search == nullptr && error != kPlatformFileNotFound && error != kPlatformPathNotFound;
}

// Reads `file` from its start into both profiles. Returns 1 on success.
// A wrong header leaves the profiles exactly as they were. A failure after
// the header stops at once: both profiles keep their reset defaults and
// whatever the chunks read so far set. Past the header, digits, limits,
// keep rules and size caps read are brought into range (keepValuesInRange)
// and each directory mode follows its directory as read. When a read or
// seek of the file fails, also sets `*error` to kPlatformIoError (it is
// left alone otherwise).
int readSettings(PlatformFile* file, PlatformError* error) {
  Reader reader = {file, 0, false, {}};
  if (!platformSeek(file, 0, kPlatformSeekEnd, &reader.size) ||
      !platformSeek(file, 0, kPlatformSeekSet, nullptr)) {
    *error = kPlatformIoError;
    return 0;
  }
  unsigned char header[kHeaderSize];
  if (!readExactly(&reader, header, sizeof header) || memcmp(header, kMagic, sizeof kMagic) != 0 ||
      decode32(header + 4) != kVersion) {
    if (reader.failed) *error = kPlatformIoError;
    return 0;
  }

  SaveProfile& incremental = incrementalProfile();
  BakSaveProfile& bak = bakProfile();
  incremental.reset();
  bak.reset();
  int complete = readChunks(&reader);
  applyTwins(reader);
  if (reader.failed) *error = kPlatformIoError;
  // A file written by hand or by an older panel may hold any number.
  keepValuesInRange(incremental);
  keepValuesInRange(bak);
  // Each folder is where its text says, even when a later chunk broke off.
  incremental.directoryMode = classifyDirectory(incremental.directory.get());
  bak.directoryMode = classifyDirectory(bak.directory.get());
  return complete;
}

}  // namespace

const char* settingsFilePath() {
  static char path[kPathSize];
  if (hostServices.directoryInfo == nullptr) return nullptr;
  size_t length = composeSettingsFolder(path);
  if (length == 0) return nullptr;
  if (!platformEndsInSeparator(path, length)) path[length++] = PLATFORM_SEPARATOR;
  memcpy(path + length, kFileName, sizeof kFileName);
  return path;
}

int loadSettings() {
  fileState = kFileInForce;
  const char* path = settingsFilePath();
  if (path == nullptr) return 0;
  PlatformFile* file = platformOpenRead(path);
  PlatformError error = file == nullptr && somethingAt(path) ? kPlatformIoError : kPlatformOk;
  int loaded = file != nullptr && readSettings(file, &error);
  platformClose(file);
  if (error == kPlatformOk) return loaded;
  fileState = kFileUnread;
  incrementalProfile().reset();
  bakProfile().reset();
  return 0;
}

int settingsUnreadable() { return fileState != kFileInForce; }

int settingsReloadDue() { return fileState == kFileUnread; }

int saveSettings() {
  if (settingsUnreadable()) {
    fileState = kFileSetAside;  // the values just stored stand for the session
    return 0;
  }
  const char* path = settingsFilePath();
  if (path == nullptr) return 0;
  char folder[kPathSize];
  size_t nameAt = strlen(path) - strlen(kFileName);
  memcpy(folder, path, nameAt);
  folder[nameAt] = '\0';
  if (!writeNewFile(folder, path)) return 0;
  // The new file is in place; making its name durable is best effort, since
  // the old file is gone whatever this answers.
  platformSyncFolder(folder);
  return 1;
}

int writeSettings(PlatformFile* file) {
  unsigned char header[kHeaderSize];
  memcpy(header, kMagic, sizeof kMagic);
  encode32(kVersion, header + 4);
  if (!writeExactly(file, header, sizeof header)) return 0;
  const StoredField* fields = storedFields();
  for (size_t i = 0; i < kStoredFieldCount; ++i)
    if (!writeField(file, fields[i])) return 0;
  return 1;
}
