// Separators in paths the user typed, made the ones this platform reads.
//
// Texts such as a backup folder may be typed with '\\' or '/' on any
// platform. POSIX reads only '/', so there a '\\' in such a text must
// become '/' before the path is used; Win32 reads both, but shows a path
// in messages as it is, so there '/' becomes '\\'.
#ifndef QK_PLATFORM_NATIVE_SEPARATORS_H_
#define QK_PLATFORM_NATIVE_SEPARATORS_H_

// Rewrites in place every separator of the text `path`, '/' or '\\', into
// PLATFORM_SEPARATOR.
void platformNativeSeparators(char* path);

#endif  // QK_PLATFORM_NATIVE_SEPARATORS_H_
