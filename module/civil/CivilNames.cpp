#include "civil/CivilNames.h"

#include "wcrt.h"

namespace pelvar::civil {

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace c3d = Autodesk::Civil;

namespace {

std::vector<std::wstring> SurfaceNames(acad::Transaction& transaction) {
  std::vector<std::wstring> names;
  std::optional<c3d::ApplicationServices::CivilDocument> document =
      c3d::ApplicationServices::CivilApplication::ActiveDocument();
  if (!document) return names;
  for (const acad::ObjectId& id : document->GetSurfaceIds()) {
    auto* surface = dynamic_cast<c3d::DatabaseServices::Surface*>(transaction.GetObject(id, acad::OpenMode::ForRead));
    if (surface != nullptr) names.push_back(ToW(surface->Name()));
  }
  return names;
}

}  // namespace

bool NameTaken(const std::vector<std::wstring>& names, const std::wstring& name) {
  for (const std::wstring& taken : names)
    if (_wcsicmp(taken.c_str(), name.c_str()) == 0) return true;
  return false;
}

std::wstring SuffixedName(const std::wstring& name, unsigned n) { return name + L" (" + std::to_wstring(n) + L")"; }

std::wstring ToW(const System::String& text) { return text.value_or(std::wstring()); }

std::wstring Uniquify(acad::Transaction& transaction, const std::wstring& baseName) {
  try {
    std::vector<std::wstring> names = SurfaceNames(transaction);
    if (!NameTaken(names, baseName)) return baseName;
    for (unsigned n = 2;; ++n) {
      std::wstring candidate = SuffixedName(baseName, n);
      if (!NameTaken(names, candidate)) return candidate;
    }
  } catch (const System::Exception&) {
  } catch (const std::exception&) {
  } catch (...) {
  }
  return baseName;
}

}  // namespace pelvar::civil
