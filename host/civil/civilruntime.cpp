#include "civilruntime.h"

namespace Autodesk::AutoCAD::Runtime {

Exception::Exception(Acad::ErrorStatus status)
    : System::Exception(acadErrorStatusText(status)), m_status(status) {}

void ThrowIfFailed(Acad::ErrorStatus status) {
  if (status != Acad::eOk) throw Exception(status);
}

}  // namespace Autodesk::AutoCAD::Runtime
