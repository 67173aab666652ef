// Loading and unloading modules, and the dynamic linker's per-module flags.
#include "rxmodule.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "rxclass.h"
#include "rxclasshooks.h"
#include "rxdlinkr.h"
#include "wcrt.h"
#include "wideutf8.h"
#include "textcase.h"

namespace {

struct ModuleRecord {
  pelvarhost::LoadedModule info;
  void* handle = nullptr;
  AcRxEntryPointFunc entry = nullptr;
};

std::vector<ModuleRecord>& Modules() {
  static std::vector<ModuleRecord> modules;
  return modules;
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring StemOf(const std::wstring& fileName) {
  size_t dot = fileName.find_last_of(L'.');
  return dot == std::wstring::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

// A module is named by its file name, case-insensitively, with or without extension;
// a path names the module of that file name.
bool NamesModule(const ModuleRecord& record, const std::wstring& name) {
  const std::wstring wanted = FileNameOf(name);
  const std::wstring& fileName = record.info.name;
  return pelvarhost::SameTextIgnoringCase(wanted, fileName) || pelvarhost::SameTextIgnoringCase(wanted, StemOf(fileName));
}

ModuleRecord* FindByName(const std::wstring& name) {
  for (ModuleRecord& record : Modules())
    if (NamesModule(record, name)) return &record;
  return nullptr;
}

ModuleRecord* FindByHandle(const void* handle) {
  for (ModuleRecord& record : Modules())
    if (record.handle == handle) return &record;
  return nullptr;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring AbsolutePath(const std::string& utf8Path) {
  char resolved[PATH_MAX];
  if (realpath(utf8Path.c_str(), resolved) != nullptr) return pelvarhost::Utf8ToWide(resolved);
  return pelvarhost::Utf8ToWide(utf8Path);
}

std::wstring DlErrorText() {
  const char* text = dlerror();
  return pelvarhost::Utf8ToWide(text != nullptr ? text : "unknown error");
}

// Classes whose pseudo-constructor lives in the module are deleted before it is unmapped
// (turning their objects into proxies), in case the module left them registered.
void DeleteClassesOwnedBy(void* handle) {
  Dl_info moduleInfo{};
  void* anySymbol = dlsym(handle, "acrxEntryPoint");
  if (anySymbol == nullptr || dladdr(anySymbol, &moduleInfo) == 0) return;
  for (AcRxClass* cls : pelvarhost::RegisteredClasses()) {
    Dl_info info{};
    auto constructor = cls->constructor();
    if (constructor != nullptr && dladdr(reinterpret_cast<void*>(constructor), &info) != 0 &&
        info.dli_fbase == moduleInfo.dli_fbase)
      deleteAcRxClass(cls);
  }
}

void CloseModule(ModuleRecord record) {
  DeleteClassesOwnedBy(record.handle);
  dlclose(record.handle);
}

}  // namespace

namespace pelvarhost {

bool LoadModule(const std::wstring& path, std::wstring& error) {
  const std::wstring name = FileNameOf(path);
  if (FindByName(name) != nullptr) {
    error = Quoted(name) + L" is already loaded";
    return false;
  }
  // A bare file name is a file of the current folder (dlopen would search the library path).
  std::string utf8Path = WideToUtf8(path);
  if (utf8Path.find('/') == std::string::npos) utf8Path = "./" + utf8Path;
  void* handle = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = Quoted(path) + L" cannot be loaded: " + DlErrorText();
    return false;
  }
  auto getVersion = reinterpret_cast<AcRxGetApiVersionFunc>(dlsym(handle, "acrxGetApiVersion"));
  auto entry = reinterpret_cast<AcRxEntryPointFunc>(dlsym(handle, "acrxEntryPoint"));
  if (getVersion == nullptr || entry == nullptr) {
    dlclose(handle);
    error = Quoted(name) + L" is not a host module: it does not export " +
            (entry == nullptr ? L"acrxEntryPoint" : L"acrxGetApiVersion");
    return false;
  }
  const int version = getVersion();
  if (version != ACRX_API_VERSION) {
    dlclose(handle);
    error = Quoted(name) + L" was built for module interface version " + std::to_wstring(version) +
            L"; this host speaks version " + std::to_wstring(ACRX_API_VERSION);
    return false;
  }
  ModuleRecord record;
  record.info = LoadedModule{name, AbsolutePath(utf8Path), true, false};
  record.handle = handle;
  record.entry = entry;
  Modules().push_back(record);
  if (entry(AcRx::kInitAppMsg, handle) != AcRx::kRetOK) {
    auto& modules = Modules();
    modules.erase(std::remove_if(modules.begin(), modules.end(),
                                 [handle](const ModuleRecord& r) { return r.handle == handle; }),
                  modules.end());
    CloseModule(record);
    error = Quoted(name) + L" failed to initialise";
    return false;
  }
  NotifyClassesRegistered();
  return true;
}

bool UnloadModule(const std::wstring& name, std::wstring& error) {
  ModuleRecord* found = FindByName(name);
  if (found == nullptr) {
    error = Quoted(FileNameOf(name)) + L" is not loaded";
    return false;
  }
  if (found->info.locked) {
    error = Quoted(found->info.name) + L" is locked and cannot be unloaded";
    return false;
  }
  void* handle = found->handle;
  if (found->entry(AcRx::kUnloadAppMsg, handle) != AcRx::kRetOK) {
    error = Quoted(found->info.name) + L" refused to unload";
    return false;
  }
  auto& modules = Modules();
  auto it = std::find_if(modules.begin(), modules.end(),
                         [handle](const ModuleRecord& r) { return r.handle == handle; });
  ModuleRecord record = *it;
  modules.erase(it);
  CloseModule(record);
  return true;
}

void UnloadAllModules() {
  auto& modules = Modules();
  while (!modules.empty()) {
    ModuleRecord record = modules.back();
    record.entry(AcRx::kUnloadAppMsg, record.handle);
    modules.pop_back();
    CloseModule(record);
  }
}

std::vector<LoadedModule> LoadedModules() {
  std::vector<LoadedModule> out;
  for (const ModuleRecord& record : Modules()) out.push_back(record.info);
  return out;
}

bool IsModuleLoaded(const std::wstring& name) { return FindByName(name) != nullptr; }

}  // namespace pelvarhost

DWORD GetModuleFileNameW(HMODULE module, wchar_t* fileName, DWORD size) {
  if (fileName == nullptr || size == 0) return 0;
  std::wstring path;
  if (module == nullptr) {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return 0;
    path = pelvarhost::Utf8ToWide(std::string(buffer, static_cast<size_t>(n)));
  } else if (const ModuleRecord* record = FindByHandle(module)) {
    path = record->info.path;
  } else {
    Dl_info info{};
    if (dladdr(module, &info) == 0 || info.dli_fname == nullptr) return 0;
    path = AbsolutePath(info.dli_fname);
  }
  if (path.size() + 1 > size) {
    path.resize(size - 1);
    std::copy(path.begin(), path.end(), fileName);
    fileName[size - 1] = L'\0';
    return size;
  }
  std::copy(path.begin(), path.end(), fileName);
  fileName[path.size()] = L'\0';
  return static_cast<DWORD>(path.size());
}

// The dynamic linker object.

AcRxClass* AcRxDynamicLinker::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcRxDynamicLinker", L"AcRxObject");
  return cls;
}

AcRxClass* AcRxDynamicLinker::isA() const { return desc(); }

bool AcRxDynamicLinker::loadModule(const ACHAR* fileName, bool, bool) {
  std::wstring error;
  return fileName != nullptr && pelvarhost::LoadModule(fileName, error);
}

bool AcRxDynamicLinker::unloadModule(const ACHAR* fileName, bool) {
  std::wstring error;
  return fileName != nullptr && pelvarhost::UnloadModule(fileName, error);
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
  ModuleRecord* record = FindByHandle(appId);
  if (record == nullptr) return false;
  record->info.locked = false;
  return true;
}

bool AcRxDynamicLinker::lockApplication(void* appId) const {
  ModuleRecord* record = FindByHandle(appId);
  if (record == nullptr) return false;
  record->info.locked = true;
  return true;
}

bool AcRxDynamicLinker::isApplicationLocked(const ACHAR* name) const {
  const ModuleRecord* record = name != nullptr ? FindByName(name) : nullptr;
  return record != nullptr && record->info.locked;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
  ModuleRecord* record = FindByHandle(appId);
  if (record == nullptr) return false;
  record->info.mdiAware = true;
  return true;
}

bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const {
  ModuleRecord* record = FindByHandle(appId);
  if (record == nullptr) return false;
  record->info.mdiAware = false;
  return true;
}

AcRxDynamicLinker* acrxDynamicLinkerPtr() {
  static AcRxDynamicLinker linker;
  return &linker;
}
