// How the plug-in file makes a symbol visible to the host that loads it:
// a DLL export on Win32, default visibility elsewhere (everything else is
// built hidden).
#ifndef QK_PLATFORM_EXPORT_H_
#define QK_PLATFORM_EXPORT_H_

#if defined(_WIN32)
#define PLATFORM_EXPORT extern "C" __declspec(dllexport)
#else
#define PLATFORM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#endif  // QK_PLATFORM_EXPORT_H_
