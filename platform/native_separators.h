// Separators in paths the user typed, made the ones this platform reads.
//
// Texts such as a backup folder may be typed with '\\' on any platform.
// Win32 reads both '/' and '\\' as separators; POSIX reads only '/', so
// there a '\\' in such a text must become '/' before the path is used.
#ifndef QK_PLATFORM_NATIVE_SEPARATORS_H_
#define QK_PLATFORM_NATIVE_SEPARATORS_H_

// Rewrites in place every separator of the text `path` that this platform
// does not read as one ('\\' on POSIX) into one it does ('/'). On Win32
// the text stays as it is.
void platformNativeSeparators(char* path);

#endif  // QK_PLATFORM_NATIVE_SEPARATORS_H_
