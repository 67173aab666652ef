// Objects left open by a command that did not finish: the command line notes which objects
// are open before a command runs and, when the command fails with an exception, closes every
// object opened since, so that a failed command never leaves the drawing locked.
#pragma once
#include <set>

class AcDbObject;

namespace pelvarhost {

class OpenObjectsGuard {
 public:
  OpenObjectsGuard();
  // Closes every object that is open now and was not open when the guard was made.
  void CloseOpenedSince() const;

 private:
  std::set<const AcDbObject*> openBefore_;
};

}  // namespace pelvarhost
