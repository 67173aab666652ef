// Names of status codes.
#include "acadstrc.h"

#define PELVAR_STATUS_NAME(code) \
  case Acad::code:               \
    return L## #code;

const wchar_t* acadErrorStatusText(Acad::ErrorStatus status) {
  switch (status) {
    PELVAR_STATUS_NAME(eOk)
    PELVAR_STATUS_NAME(eNotImplementedYet)
    PELVAR_STATUS_NAME(eNotApplicable)
    PELVAR_STATUS_NAME(eInvalidInput)
    PELVAR_STATUS_NAME(eInvalidOpenState)
    PELVAR_STATUS_NAME(eUnknownHandle)
    PELVAR_STATUS_NAME(eHandleInUse)
    PELVAR_STATUS_NAME(eNullObjectPointer)
    PELVAR_STATUS_NAME(eNullObjectId)
    PELVAR_STATUS_NAME(eNullEntityPointer)
    PELVAR_STATUS_NAME(eKeyNotFound)
    PELVAR_STATUS_NAME(eDuplicateKey)
    PELVAR_STATUS_NAME(eInvalidIndex)
    PELVAR_STATUS_NAME(eAlreadyInDb)
    PELVAR_STATUS_NAME(eInvalidExtents)
    PELVAR_STATUS_NAME(eInvalidSymbolTableName)
    PELVAR_STATUS_NAME(eWrongObjectType)
    PELVAR_STATUS_NAME(eWrongDatabase)
    PELVAR_STATUS_NAME(eInvalidDwgVersion)
    PELVAR_STATUS_NAME(eEndOfFile)
    PELVAR_STATUS_NAME(eNotOpenForRead)
    PELVAR_STATUS_NAME(eNotOpenForWrite)
    PELVAR_STATUS_NAME(eNotThatKindOfClass)
    PELVAR_STATUS_NAME(eFilerError)
    PELVAR_STATUS_NAME(eDwgCRCDoesNotMatch)
    PELVAR_STATUS_NAME(eDwgObjectImproperlyRead)
    PELVAR_STATUS_NAME(eFileAccessErr)
    PELVAR_STATUS_NAME(eFileNotFound)
    PELVAR_STATUS_NAME(eWasErased)
    PELVAR_STATUS_NAME(ePermanentlyErased)
    PELVAR_STATUS_NAME(eWasOpenForRead)
    PELVAR_STATUS_NAME(eWasOpenForWrite)
    PELVAR_STATUS_NAME(eWasOpenForNotify)
    PELVAR_STATUS_NAME(eAtMaxReaders)
    PELVAR_STATUS_NAME(eHadMultipleReaders)
    PELVAR_STATUS_NAME(eDuplicateRecordName)
    PELVAR_STATUS_NAME(eWasNotOpenForWrite)
    PELVAR_STATUS_NAME(eWasNotErased)
    PELVAR_STATUS_NAME(eNoDatabase)
    PELVAR_STATUS_NAME(eNotInDatabase)
    PELVAR_STATUS_NAME(eOutOfRange)
    PELVAR_STATUS_NAME(eDegenerateGeometry)
    PELVAR_STATUS_NAME(ePointNotOnEntity)
    PELVAR_STATUS_NAME(eCannotScaleNonUniformly)
    PELVAR_STATUS_NAME(eInvalidLayer)
    PELVAR_STATUS_NAME(eMakeMeProxy)
    PELVAR_STATUS_NAME(eNotHandled)
    default:
      return L"eUnknownStatus";
  }
}
