#include "civil/CivilNames.h"

#include <clocale>
#include <cwctype>

namespace pelvar::civil {

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace c3d = Autodesk::Civil;

namespace {

// The upper case of one character by the Unicode simple case mapping, as an ordinal
// comparison ignoring case folds it: through a locale of our own, so that the answer does
// not change with the process's locale (the plain "C" locale would fold ASCII only).
wint_t UpperCase(wchar_t c) {
  static const locale_t folding = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (folding != static_cast<locale_t>(0)) return towupper_l(static_cast<wint_t>(c), folding);
  return c >= L'a' && c <= L'z' ? static_cast<wint_t>(c - L'a' + L'A') : static_cast<wint_t>(c);
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  return true;
}

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
    if (EqualIgnoringCase(taken, name)) return true;
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
