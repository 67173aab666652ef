// The Civil 3D bridge: plain values in, a flag and a text out, every API error caught.
#include "civil/CivilBridge.h"

#include "civil/CivilNames.h"
#include "windows.h"

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace geo = Autodesk::AutoCAD::Geometry;
namespace c3d = Autodesk::Civil;
using pelvar::civil::SuffixedName;
using pelvar::civil::ToW;

namespace {

constexpr std::size_t kVertexBatchSize = 50000;
constexpr unsigned kFeatureLineNameAttempts = 25;
constexpr const wchar_t* kNoCivilDocument = L"no active Civil document";
constexpr const wchar_t* kNoCivil = L"Civil 3D is not available (no active Civil document)";
constexpr const wchar_t* kFeatureLineCreateFailed = L"FeatureLine::Create failed";
constexpr const wchar_t* kUnknownCsCodeFailure = L"unknown failure in GetDrawingCsCode";
constexpr const wchar_t* kUnknownFailure = L"unknown failure in the Civil 3D bridge";

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }

// An exception's UTF-8 text as a wide string (empty if it cannot be converted).
std::wstring WideMessage(const std::exception& e) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, e.what(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_UTF8, 0, e.what(), -1, text.data(), length) != length) return std::wstring();
  text.pop_back();  // the converted terminator
  return text;
}

// Without Civil 3D there is no active civil document: stop with a clear text.
c3d::ApplicationServices::CivilDocument RequireCivilDocument() {
  std::optional<c3d::ApplicationServices::CivilDocument> document =
      c3d::ApplicationServices::CivilApplication::ActiveDocument();
  if (!document) throw System::InvalidOperationException(kNoCivil);
  return *document;
}

// Runs `body`; any failure becomes `outText` and false.
template <typename Body>
bool Guarded(std::wstring& outText, Body&& body) {
  try {
    return body();
  } catch (const System::Exception& e) {
    outText = e.Message();
  } catch (const std::exception& e) {
    outText = WideMessage(e);
  } catch (...) {
    outText = kUnknownFailure;
  }
  return false;
}

void AddVerticesInBatches(c3d::DatabaseServices::TinSurface& surface, const double* vertices, std::uint64_t count) {
  geo::Point3dCollection batch;
  for (std::uint64_t i = 0; i < count; ++i) {
    const double* v = vertices + 3 * i;
    batch.Add(geo::Point3d(v[0], v[1], v[2]));
    if (static_cast<std::size_t>(batch.Count()) == kVertexBatchSize) {
      surface.AddVertices(batch);
      batch.Clear();
    }
  }
  if (batch.Count() > 0) surface.AddVertices(batch);
}

}  // namespace

bool Civil_CreateTinSurface(const wchar_t* name, const wchar_t* description, const double* vertices,
                            std::uint64_t count, std::wstring& outText) {
  return Guarded(outText, [&] {
    RequireCivilDocument();
    if (vertices == nullptr && count != 0) throw System::ArgumentException(L"The vertex array is missing.");
    acad::Database database = acad::HostApplicationServices::WorkingDatabase();
    std::unique_ptr<acad::Transaction> transaction = database.TransactionManager().StartTransaction();
    std::wstring finalName = pelvar::civil::Uniquify(*transaction, Text(name));
    acad::ObjectId id = c3d::DatabaseServices::TinSurface::Create(database, finalName);
    auto* surface = dynamic_cast<c3d::DatabaseServices::TinSurface*>(transaction->GetObject(id, acad::OpenMode::ForWrite));
    if (surface == nullptr) throw System::InvalidOperationException(L"The new surface is not a TIN surface.");
    surface->Description(Text(description));
    AddVerticesInBatches(*surface, vertices, count);
    transaction->Commit();
    outText = finalName;
    return true;
  });
}

bool Civil_AddCogoPoint(double x, double y, double z, const wchar_t* description, std::wstring& outText) {
  return Guarded(outText, [&] {
    RequireCivilDocument().CogoPoints().Add(geo::Point3d(x, y, z), Text(description), true);
    return true;
  });
}

bool Civil_PolyToFeatureLine(std::uint64_t polylineId, const wchar_t* name, std::wstring& outText) {
  return Guarded(outText, [&] {
    RequireCivilDocument();
    acad::Database database = acad::HostApplicationServices::WorkingDatabase();
    acad::ObjectId id(static_cast<std::intptr_t>(polylineId));
    std::unique_ptr<acad::Transaction> transaction = database.TransactionManager().StartTransaction();
    std::wstring lastError;
    bool created = false;
    for (unsigned attempt = 1; attempt <= kFeatureLineNameAttempts && !created; ++attempt) {
      std::wstring candidate = attempt == 1 ? Text(name) : SuffixedName(Text(name), attempt);
      try {
        created = !c3d::DatabaseServices::FeatureLine::Create(candidate, id).IsNull();
      } catch (const System::Exception& e) {
        lastError = e.Message();
      }
    }
    if (!created) {
      outText = lastError.empty() ? kFeatureLineCreateFailed : lastError;
      return false;
    }
    auto* polyline = dynamic_cast<acad::Entity*>(transaction->GetObject(id, acad::OpenMode::ForWrite));
    if (polyline == nullptr) throw System::InvalidOperationException(L"The polyline is not an entity.");
    polyline->Erase();
    transaction->Commit();
    return true;
  });
}

bool Civil_GetDrawingCsCode(std::wstring& code, std::wstring& error) {
  code.clear();
  try {
    std::optional<c3d::ApplicationServices::CivilDocument> document =
        c3d::ApplicationServices::CivilApplication::ActiveDocument();
    if (!document) {
      error = kNoCivilDocument;
      return false;
    }
    code = ToW(document->Settings().DrawingSettings().UnitZoneSettings().CoordinateSystemCode());
    return true;
  } catch (const System::Exception& e) {
    error = e.Message();
  } catch (...) {
    error = kUnknownCsCodeFailure;
  }
  code.clear();
  return false;
}
