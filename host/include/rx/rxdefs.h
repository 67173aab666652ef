// Application messages, module export macros and the module API version.
#pragma once
#include "AdAChar.h"
#include "adesk.h"

namespace AcRx {
// Messages the host sends to a module's acrxEntryPoint.
enum AppMsgCode {
  kNullMsg = -1,
  kInitAppMsg = 0,
  kUnloadAppMsg = 1,
  kLoadDwgMsg = 2,
  kUnloadDwgMsg = 3,
  kInvkSubrMsg = 4,
  kCfgMsg = 5,
  kEndMsg = 6,
  kQuitMsg = 7,
  kSaveMsg = 8,
  kDependencyMsg = 9,
  kNoDependencyMsg = 10,
  kOleUnloadAppMsg = 11,
  kPreQuitMsg = 12,
  kInitDialogMsg = 13,
  kEndDialogMsg = 14,
  kSuspendMsg = 15
};

enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

// Exports a function from a module compiled with hidden visibility.
#define ACRX_EXPORT_SYMBOL __attribute__((visibility("default")))

// The module interface version this host speaks. A module reports the version it was
// built against through its exported acrxGetApiVersion; the loader refuses a mismatch.
#define ACRX_API_VERSION 27

// The two functions every module exports.
typedef AcRx::AppRetCode (*AcRxEntryPointFunc)(AcRx::AppMsgCode msg, void* appId);
typedef int (*AcRxGetApiVersionFunc)();

// Place once in one source file of a module: defines the exported acrxGetApiVersion.
#define ACRX_DEFINE_API_VERSION() \
  extern "C" ACRX_EXPORT_SYMBOL int acrxGetApiVersion() { return ACRX_API_VERSION; }
