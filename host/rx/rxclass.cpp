// The class registry: classes by name, parent links, deletion with a graveyard.
#include "rxclass.h"

#include <cstdarg>
#include <cwchar>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hostoutput.h"
#include "rxclasshooks.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

struct AcRxClass::Names {
  std::wstring name;
  std::wstring parentName;
  std::wstring dxfName;
  std::wstring appName;
};

namespace {

constexpr int kAbortExitStatus = 3;

struct ClassRegistry {
  std::recursive_mutex mutex;
  std::map<std::wstring, std::unique_ptr<AcRxClass>> classes;
  // Deleted classes stay allocated until the process ends, so that a stale class pointer
  // held by a module never points at freed memory.
  std::vector<std::unique_ptr<AcRxClass>> graveyard;
  pelvarhost::ClassDeletedHook onDeleted = nullptr;
  pelvarhost::ClassesRegisteredHook onRegistered = nullptr;
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

std::wstring Text(const ACHAR* text) { return text != nullptr ? std::wstring(text) : std::wstring(); }

AcRxClass* FindLocked(ClassRegistry& registry, const std::wstring& name) {
  auto it = registry.classes.find(name);
  return it == registry.classes.end() ? nullptr : it->second.get();
}

void LinkParentsLocked(ClassRegistry& registry) {
  for (auto& [name, cls] : registry.classes) {
    const std::wstring parentName = cls->parentName();
    cls->setParent(parentName.empty() ? nullptr : FindLocked(registry, parentName));
  }
}

}  // namespace

AcRxClass::AcRxClass(const ACHAR* name, const ACHAR* parentName, int dwgVersion,
                     int maintenanceVersion, int proxyFlags, AcRxPseudoConstructor constructor,
                     const ACHAR* dxfName, const ACHAR* appName)
    : m_names(new Names{Text(name), Text(parentName), Text(dxfName), Text(appName)}),
      m_dwgVersion(dwgVersion),
      m_maintenanceVersion(maintenanceVersion),
      m_proxyFlags(proxyFlags),
      m_constructor(constructor) {}

AcRxClass::~AcRxClass() { delete m_names; }

AcRxClass* AcRxClass::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcRxClass", L"AcRxObject");
  return cls;
}

AcRxClass* AcRxClass::isA() const { return desc(); }

AcRxClass* AcRxClass::cast(const AcRxObject* object) {
  return (object != nullptr && object->isKindOf(desc()))
             ? static_cast<AcRxClass*>(const_cast<AcRxObject*>(object))
             : nullptr;
}

const ACHAR* AcRxClass::name() const { return m_names->name.c_str(); }
const ACHAR* AcRxClass::dxfName() const { return m_names->dxfName.c_str(); }
const ACHAR* AcRxClass::appName() const { return m_names->appName.c_str(); }
const ACHAR* AcRxClass::parentName() const { return m_names->parentName.c_str(); }
AcRxClass* AcRxClass::myParent() const { return m_parent; }

AcRxObject* AcRxClass::create() const { return m_constructor != nullptr ? m_constructor() : nullptr; }

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  for (const AcRxClass* c = this; c != nullptr; c = c->m_parent)
    if (c == other) return true;
  return false;
}

AcRxClass* AcRxObject::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcRxObject", nullptr);
  return cls;
}

AcRxClass* AcRxObject::isA() const { return desc(); }

bool AcRxObject::isKindOf(const AcRxClass* aClass) const {
  const AcRxClass* mine = isA();
  return mine != nullptr && mine->isDerivedFrom(aClass);
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int proxyFlags,
                        AcRxPseudoConstructor pseudoConstructor, const ACHAR* dxfName,
                        const ACHAR* appName) {
  return newAcRxClass(className, parentClassName, 0, 0, proxyFlags, pseudoConstructor, dxfName,
                      appName, nullptr);
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer,
                        int maintVer, int proxyFlags, AcRxPseudoConstructor pseudoConstructor,
                        const ACHAR* dxfName, const ACHAR* appName, AppNameChangeFuncPtr) {
  if (className == nullptr || *className == 0) return nullptr;
  ClassRegistry& registry = Registry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  if (AcRxClass* existing = FindLocked(registry, className)) return existing;
  auto cls = std::make_unique<AcRxClass>(className, parentClassName, dwgVer, maintVer, proxyFlags,
                                         pseudoConstructor, dxfName, appName);
  AcRxClass* raw = cls.get();
  registry.classes.emplace(className, std::move(cls));
  // Link at once what can be linked, so that casts work before the hierarchy is built.
  LinkParentsLocked(registry);
  return raw;
}

AcRxClass* acrxFindAcRxClass(const ACHAR* className) {
  if (className == nullptr) return nullptr;
  ClassRegistry& registry = Registry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  return FindLocked(registry, className);
}

void acrxBuildClassHierarchy() {
  ClassRegistry& registry = Registry();
  {
    std::lock_guard<std::recursive_mutex> lock(registry.mutex);
    LinkParentsLocked(registry);
  }
  pelvarhost::NotifyClassesRegistered();
}

void deleteAcRxClass(AcRxClass* pClassObj) {
  if (pClassObj == nullptr) return;
  ClassRegistry& registry = Registry();
  {
    std::lock_guard<std::recursive_mutex> lock(registry.mutex);
    auto it = registry.classes.find(pClassObj->name());
    if (it == registry.classes.end() || it->second.get() != pClassObj) return;
  }
  // Objects of the class are filed out through their own code while it is still loaded.
  if (registry.onDeleted != nullptr) registry.onDeleted(pClassObj);
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  auto it = registry.classes.find(pClassObj->name());
  if (it == registry.classes.end()) return;
  registry.graveyard.push_back(std::move(it->second));
  registry.classes.erase(it);
  LinkParentsLocked(registry);
}

void acrx_abort(const ACHAR* format, ...) {
  // Formatted wide, written as UTF-8 bytes whatever orientation stderr already has.
  va_list args;
  va_start(args, format);
  const std::wstring text = pelvarhost::FormatWideV(format, args);
  va_end(args);
  pelvarhost::WriteDiagnosticLine("Fatal host error: " + pelvarhost::WideToUtf8(text));
  std::_Exit(kAbortExitStatus);
}

namespace pelvarhost {

void SetClassLifecycleHooks(ClassDeletedHook onDeleted, ClassesRegisteredHook onRegistered) {
  ClassRegistry& registry = Registry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  registry.onDeleted = onDeleted;
  registry.onRegistered = onRegistered;
}

void NotifyClassesRegistered() {
  ClassesRegisteredHook hook = Registry().onRegistered;
  if (hook != nullptr) hook();
}

std::vector<AcRxClass*> RegisteredClasses() {
  ClassRegistry& registry = Registry();
  std::lock_guard<std::recursive_mutex> lock(registry.mutex);
  std::vector<AcRxClass*> out;
  for (auto& [name, cls] : registry.classes) out.push_back(cls.get());
  return out;
}

}  // namespace pelvarhost
