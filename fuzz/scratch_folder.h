// Scratch folders for the fuzz targets: one private folder per process, on
// a memory file system where there is one, emptied between runs.
#ifndef QK_FUZZ_SCRATCH_FOLDER_H_
#define QK_FUZZ_SCRATCH_FOLDER_H_

#include <set>
#include <string>

namespace qkfuzz {

// Creates a new folder whose name starts with `tag` below $QK_FUZZ_SCRATCH,
// else /dev/shm, else /tmp, and returns its path. The folder and all in it
// are removed when the process exits normally. Aborts when it cannot.
std::string makeScratchFolder(const char* tag);

// Removes everything inside `folder`, keeping the folder. Aborts when it cannot.
void emptyFolder(const std::string& folder);

// Creates `path` holding `bytes`, replacing any file there. Aborts when it cannot.
void writeFile(const std::string& path, const std::string& bytes);

// What a folder holds, by name: directories and everything else apart.
struct FolderListing {
  std::set<std::string> files;
  std::set<std::string> folders;
};

// Returns what `folder` holds. Aborts when it cannot be listed.
FolderListing listFolder(const std::string& folder);

}  // namespace qkfuzz

#endif  // QK_FUZZ_SCRATCH_FOLDER_H_
