// Runtime-class members of host and custom classes.
//
// In the class:           ACRX_DECLARE_MEMBERS(MyEntity);
// In one source file:     ACRX_DXF_DEFINE_MEMBERS(MyEntity, AcDbEntity, AcDb::kDHL_CURRENT,
//                             AcDb::kMReleaseCurrent, 0, MYENTITY, "MyApp")
// then call MyEntity::rxInit() and acrxBuildClassHierarchy() on kInitAppMsg, and
// deleteAcRxClass(MyEntity::desc()) on kUnloadAppMsg.
#pragma once
#include "rxclass.h"

#define ACRX_DECLARE_MEMBERS(CLASS_NAME)                 \
 public:                                                 \
  static AcRxClass* gpDesc;                              \
  static AcRxClass* desc();                              \
  static CLASS_NAME* cast(const AcRxObject* inPtr);      \
  AcRxClass* isA() const override;                       \
  static void rxInit()

#define ACRX_DEFINE_MEMBERS_COMMON_(CLASS_NAME)                                               \
  AcRxClass* CLASS_NAME::gpDesc = nullptr;                                                    \
  AcRxClass* CLASS_NAME::desc() {                                                             \
    if (gpDesc == nullptr) CLASS_NAME::rxInit();                                              \
    return gpDesc;                                                                            \
  }                                                                                           \
  AcRxClass* CLASS_NAME::isA() const { return CLASS_NAME::desc(); }                           \
  CLASS_NAME* CLASS_NAME::cast(const AcRxObject* inPtr) {                                     \
    return (inPtr != nullptr && inPtr->isKindOf(CLASS_NAME::desc()))                          \
               ? static_cast<CLASS_NAME*>(const_cast<AcRxObject*>(inPtr))                     \
               : nullptr;                                                                     \
  }

// A class with a pseudo-constructor and a DXF name, registered by rxInit().
#define ACRX_DXF_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, DWG_VERSION, MAINTENANCE_VERSION,  \
                                PROXY_FLAGS, DXF_NAME, APP)                                  \
  ACRX_DEFINE_MEMBERS_COMMON_(CLASS_NAME)                                                     \
  static AcRxObject* CLASS_NAME##_pseudoConstructor_() { return new CLASS_NAME(); }          \
  void CLASS_NAME::rxInit() {                                                                 \
    gpDesc = newAcRxClass(ACRX_T(#CLASS_NAME), ACRX_T(#PARENT_CLASS), DWG_VERSION,            \
                          MAINTENANCE_VERSION, PROXY_FLAGS,                                   \
                          &CLASS_NAME##_pseudoConstructor_, ACRX_T(#DXF_NAME), ACRX_T(APP)); \
  }

// A class that cannot be created by the host (abstract or host-internal).
#define ACRX_NO_CONS_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS)                           \
  ACRX_DEFINE_MEMBERS_COMMON_(CLASS_NAME)                                               \
  void CLASS_NAME::rxInit() {                                                           \
    gpDesc = newAcRxClass(ACRX_T(#CLASS_NAME), ACRX_T(#PARENT_CLASS), 0, nullptr);      \
  }

// A class the host can create, without a DXF name of its own.
#define ACRX_CONS_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, VERNO)                         \
  ACRX_DEFINE_MEMBERS_COMMON_(CLASS_NAME)                                                 \
  static AcRxObject* CLASS_NAME##_pseudoConstructor_() { return new CLASS_NAME(); }      \
  void CLASS_NAME::rxInit() {                                                             \
    gpDesc = newAcRxClass(ACRX_T(#CLASS_NAME), ACRX_T(#PARENT_CLASS), 0,                  \
                          &CLASS_NAME##_pseudoConstructor_);                              \
  }
