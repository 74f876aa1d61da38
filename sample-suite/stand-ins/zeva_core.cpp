// Stand-in for the suite's core library: a DLL that the suite's programs keep loaded, so that the
// setup program meets a file in use.
#include <windows.h>

#ifndef ZEVA_CORE_VERSION
#define ZEVA_CORE_VERSION "1"
#endif

extern "C" __declspec(dllexport) const char* ZevaCoreVersion() { return "ZevaCore stand-in " ZEVA_CORE_VERSION; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
