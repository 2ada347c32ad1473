// A DLL planted beside the programs under the name of a system DLL that is
// not one of Windows' Known DLLs (bcrypt.dll), as a web page can drop one
// into a downloads folder. When it is loaded it leaves the file
// "planted-dll-loaded" beside itself. It exports what the programs once
// imported from bcrypt.dll, so a program importing that would start with it.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) LONG WINAPI BCryptGenRandom(void*, unsigned char* buffer, ULONG size, ULONG) {
  for (ULONG i = 0; i < size; ++i) buffer[i] = 0;
  return 0;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring marker = path;
  marker = marker.substr(0, marker.find_last_of(L'\\')) + L"\\planted-dll-loaded";
  const HANDLE f = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return TRUE;
}
