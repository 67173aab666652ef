// Basic types of the managed civil object model: nullable strings, the exceptions the
// API raises, and the geometry values it takes.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "acadstrc.h"

namespace System {

// A managed string: may be null (no value at all), which differs from empty.
using String = std::optional<std::wstring>;

// Base of every error the managed API raises; carries its message.
class Exception {
 public:
  explicit Exception(std::wstring message) : m_message(std::move(message)) {}
  virtual ~Exception() = default;
  const std::wstring& Message() const { return m_message; }

 private:
  std::wstring m_message;
};

class ArgumentException : public Exception {
 public:
  using Exception::Exception;
};

class InvalidOperationException : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace System

namespace Autodesk::AutoCAD::Runtime {

// A database status turned into an error; its message is the status name ("eWasErased").
class Exception : public System::Exception {
 public:
  explicit Exception(Acad::ErrorStatus status);
  Acad::ErrorStatus ErrorStatus() const { return m_status; }

 private:
  Acad::ErrorStatus m_status;
};

// Raises Exception(status) unless status is eOk.
void ThrowIfFailed(Acad::ErrorStatus status);

}  // namespace Autodesk::AutoCAD::Runtime

namespace Autodesk::AutoCAD::Geometry {

struct Point3d {
  Point3d() = default;
  Point3d(double x, double y, double z) : X(x), Y(y), Z(z) {}
  double X = 0.0;
  double Y = 0.0;
  double Z = 0.0;
};

class Point3dCollection {
 public:
  void Add(const Point3d& point) { m_points.push_back(point); }
  void Clear() { m_points.clear(); }
  int Count() const { return static_cast<int>(m_points.size()); }
  const Point3d& operator[](int index) const { return m_points.at(static_cast<std::size_t>(index)); }
  const std::vector<Point3d>& Items() const { return m_points; }

 private:
  std::vector<Point3d> m_points;
};

}  // namespace Autodesk::AutoCAD::Geometry
