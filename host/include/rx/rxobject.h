// Root of the host's runtime class tree.
#pragma once
#include "AdAChar.h"
#include "adesk.h"

class AcRxClass;

class AcRxObject {
 public:
  virtual ~AcRxObject() = default;

  // The runtime class of the root; the class of an object is isA().
  static AcRxClass* desc();
  static AcRxObject* cast(const AcRxObject* object) { return const_cast<AcRxObject*>(object); }
  virtual AcRxClass* isA() const;

  // True when this object's class is aClass or derives from it.
  bool isKindOf(const AcRxClass* aClass) const;

 protected:
  AcRxObject() = default;
};
