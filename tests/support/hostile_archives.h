// Hostile and damaged 7z archives made from a good one, for the readers'
// tests: a header padded past the reader's bound, a dictionary too large.
#ifndef QK_TESTS_SUPPORT_HOSTILE_ARCHIVES_H_
#define QK_TESTS_SUPPORT_HOSTILE_ARCHIVES_H_

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace qktest {

// Recomputes a 7z archive's two header CRCs after its end header changed.
void resealSevenZip(std::string* archive);

// Returns the 7z `archive` written by the plug-in (a plain end header of
// fewer than `headerSize` - 10 bytes) with that header padded by a dummy
// property of zeros to `headerSize` bytes and stored LZMA-encoded after the
// packed file, as an encoded header: still a valid archive, whose header
// unpacks to `headerSize` bytes.
std::string withEncodedHeaderOf(const std::string& archive, size_t headerSize);

// Returns the 7z `archive` written by the plug-in with the dictionary its
// LZMA coder declares changed to `dictionary` (the packed bytes as they
// were, so it still decodes).
std::string withDictionary(const std::string& archive, uint32_t dictionary);

}  // namespace qktest

#endif  // QK_TESTS_SUPPORT_HOSTILE_ARCHIVES_H_
