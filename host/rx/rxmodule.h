// Module loader services of the host program (ARXLOAD, ARXUNLOAD) and the module-path
// query that modules use through GetModuleFileNameW.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "rxdefs.h"

// Windows handle and size types, as far as module code needs them here.
#ifndef PELVAR_WIN_BASE_TYPES
#define PELVAR_WIN_BASE_TYPES
typedef void* HMODULE;
typedef void* HINSTANCE;
typedef std::uint32_t DWORD;
#endif

// Writes the full path of the shared object that contains the address `module` (a module
// handle as passed with kInitAppMsg, or null for the host program) into `fileName`.
// Returns the number of characters written without the terminator; when the buffer is
// too small the path is cut to size - 1 characters and size is returned; 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, wchar_t* fileName, DWORD size);

namespace pelvarhost {

// One loaded module as the program lists it.
struct LoadedModule {
  std::wstring name;  // file name, e.g. "Pelvar2027.arx"
  std::wstring path;  // the path it was loaded from
  bool locked = true;
  bool mdiAware = false;
};

// Loads a module: dlopen, API-version check, kInitAppMsg. On failure returns false and
// sets `error` to one line of text for the user.
bool LoadModule(const std::wstring& path, std::wstring& error);
// Unloads a module named by its file name (case-insensitive, extension optional):
// kUnloadAppMsg then dlclose. A module that did not unlock itself is refused.
bool UnloadModule(const std::wstring& name, std::wstring& error);
// Unloads every module, unlocked or not, newest first (at program exit).
void UnloadAllModules();
std::vector<LoadedModule> LoadedModules();
bool IsModuleLoaded(const std::wstring& name);

}  // namespace pelvarhost
