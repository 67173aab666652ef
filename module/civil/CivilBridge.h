// The four operations the commands use to reach the Civil 3D object model. Each returns
// a success flag and one wide text (the result or an error) and never lets a failure
// escape.
#pragma once
#include <cstdint>
#include <string>

// Creates a TIN surface named `name` (or the first free "name (n)") with the description
// and `count` vertices (x, y, z in turn). True: outText = the surface's final name.
bool Civil_CreateTinSurface(const wchar_t* name, const wchar_t* description, const double* vertices,
                            std::uint64_t count, std::wstring& outText);

// Adds a COGO point numbered by the drawing's next point number. outText is written
// only on failure.
bool Civil_AddCogoPoint(double x, double y, double z, const wchar_t* description, std::wstring& outText);

// Makes a feature line from the polyline (its old-style object id) and erases the
// polyline. outText is written only on failure, when the polyline stays.
bool Civil_PolyToFeatureLine(std::uint64_t polylineId, const wchar_t* name, std::wstring& outText);

// The drawing's coordinate-system code (may be empty); false with an error text otherwise.
bool Civil_GetDrawingCsCode(std::wstring& code, std::wstring& error);
