// Decoding the one file of a 7z archive whose folder is a single LZMA or
// LZMA2 coder straight into the output file, piece by piece, so that the
// memory it takes is bounded by the smaller of the coder's dictionary and
// the file, whatever size the archive declares.
#ifndef QK_ARCHIVE_SEVEN_ZIP_STREAM_DECODER_H_
#define QK_ARCHIVE_SEVEN_ZIP_STREAM_DECODER_H_

#include "7z.h"
#include "archive/archive_progress.h"
#include "archive/backup_reader.h"
#include "platform/platform.h"

// Reads the folder of file 0 of `db` into `folder`. Returns false when the
// file has none (an empty file) or it cannot be parsed.
bool readFileFolder(const CSzArEx& db, CSzFolder* folder);

// Returns the largest dictionary that an LZMA or LZMA2 coder of `folder`
// (of `db`) declares; 0 when it has no such coder.
UInt64 sevenZipFolderDictionary(const CSzAr& db, const CSzFolder& folder);

// True iff `folder`, file 0's, is one LZMA or LZMA2 coder reading one
// packed stream and file 0 of `db` is the whole of it: what
// streamSevenZipFile decodes.
bool isStreamableSevenZip(const CSzArEx& db, const CSzFolder& folder);

// Decodes file 0 of `db`, whose `folder` is streamable, from the archive
// `in` into `out` in pieces of at most 1 MiB, advancing `progress` (begun
// by the caller) by the decoded bytes, and checks the file's and the folder's
// CRCs at the end. `out` gets every byte as it is decoded, so after a
// failure it holds part of the file and is for the caller to discard.
// Returns kBackupReadOk only when every byte was written and the CRCs
// match; kBackupReadCancelled when the progress was cancelled,
// kBackupReadUnreadable when reading failed (`readFailed` tells, being the
// archive stream's own flag) or the memory is lacking.
BackupReadResult streamSevenZipFile(const CSzArEx& db, const CSzFolder& folder, ILookInStreamPtr in,
                                    const bool* readFailed, PlatformFile* out, const IArchiveProgress* progress);

#endif  // QK_ARCHIVE_SEVEN_ZIP_STREAM_DECODER_H_
