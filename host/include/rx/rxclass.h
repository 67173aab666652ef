// Runtime classes and the host's class registry.
#pragma once
#include "rxobject.h"

typedef AcRxObject* (*AcRxPseudoConstructor)();
typedef void (*AppNameChangeFuncPtr)(const AcRxClass* classObj, ACHAR*& newAppName, int saveVer);

class AcRxClass : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;
  static AcRxClass* cast(const AcRxObject* object);

  const ACHAR* name() const;
  const ACHAR* dxfName() const;
  const ACHAR* appName() const;
  AcRxClass* myParent() const;
  // The parent's name as registered (the parent link is made by acrxBuildClassHierarchy).
  const ACHAR* parentName() const;
  int proxyFlags() const { return m_proxyFlags; }
  int dwgVersion() const { return m_dwgVersion; }
  int maintenanceVersion() const { return m_maintenanceVersion; }
  AcRxPseudoConstructor constructor() const { return m_constructor; }

  // A new object of this class through its pseudo-constructor, or null when it has none.
  AcRxObject* create() const;
  bool isDerivedFrom(const AcRxClass* other) const;

  // Host internals: built by newAcRxClass only.
  AcRxClass(const ACHAR* name, const ACHAR* parentName, int dwgVersion, int maintenanceVersion,
            int proxyFlags, AcRxPseudoConstructor constructor, const ACHAR* dxfName,
            const ACHAR* appName);
  ~AcRxClass() override;
  void setParent(AcRxClass* parent) { m_parent = parent; }

 private:
  struct Names;
  Names* m_names;
  AcRxClass* m_parent = nullptr;
  int m_dwgVersion;
  int m_maintenanceVersion;
  int m_proxyFlags;
  AcRxPseudoConstructor m_constructor;
};

// Registers a class, or returns the class already registered under that name unchanged.
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int proxyFlags = 0,
                        AcRxPseudoConstructor pseudoConstructor = nullptr,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr);
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer,
                        int maintVer, int proxyFlags = 0,
                        AcRxPseudoConstructor pseudoConstructor = nullptr,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr,
                        AppNameChangeFuncPtr func = nullptr);

// The registered class of that name, or null.
AcRxClass* acrxFindAcRxClass(const ACHAR* className);
// Links every registered class to its parent by name; objects kept as proxies of a class
// registered again are brought back to life.
void acrxBuildClassHierarchy();
// Removes a class from the registry. Every live database object of that class (or of a
// class derived from it) first becomes a proxy entity.
void deleteAcRxClass(AcRxClass* pClassObj);

// Fatal host error: prints the formatted message to stderr and ends the process with a
// non-zero status.
[[noreturn]] void acrx_abort(const ACHAR* format, ...);
