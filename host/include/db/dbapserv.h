// Application services of the host: the working database.
#pragma once
#include "rxobject.h"

class AcDbDatabase;

class AcDbHostApplicationServices : public AcRxObject {
 public:
  AcDbDatabase* workingDatabase() const { return m_working; }
  // The database new entities and commands use; may be null. Not owned.
  void setWorkingDatabase(AcDbDatabase* database) { m_working = database; }

 private:
  AcDbDatabase* m_working = nullptr;
};

AcDbHostApplicationServices* acdbHostApplicationServices();
