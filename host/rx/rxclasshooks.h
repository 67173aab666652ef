// Host-internal links between the class registry and the databases that keep objects of
// registered classes: deleting a class turns its objects into proxies, registering
// classes again brings proxies back. Not for modules.
#pragma once
#include <vector>

class AcRxClass;

namespace pelvarhost {

typedef void (*ClassDeletedHook)(AcRxClass* deletedClass);
typedef void (*ClassesRegisteredHook)();

// Installed once by the database layer.
void SetClassLifecycleHooks(ClassDeletedHook onDeleted, ClassesRegisteredHook onRegistered);
// Runs the registered-classes hook (acrxBuildClassHierarchy and the loader call it).
void NotifyClassesRegistered();
// Every class in the registry, in no particular order.
std::vector<AcRxClass*> RegisteredClasses();

}  // namespace pelvarhost
