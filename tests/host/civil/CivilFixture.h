// A fresh drawing as the working database, with the civil model on, for each test.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "civilapi.h"
#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostcmdline.h"
#include "tests/support/AppendEntity.h"

class CivilFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    pelvarhost::SetHostHasCivil(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::SetHostHasCivil(true);
  }

  Autodesk::AutoCAD::DatabaseServices::Database Db() const {
    return Autodesk::AutoCAD::DatabaseServices::Database(db.get());
  }

  // Appends an entity to model space and closes it.
  AcDbObjectId Append(AcDbEntity* entity) { return pelvartest::AppendToModelSpace(*db, entity); }

  AcDbObjectId Append3dPolyline(std::initializer_list<AcGePoint3d> points) {
    auto* poly = new AcDb3dPolyline();
    for (const AcGePoint3d& p : points) poly->appendVertex(p);
    return Append(poly);
  }

  std::filesystem::path TempPath(const std::string& name) const {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "pelvar_civil_tests";
    std::filesystem::create_directories(dir);
    return dir / (std::to_string(::getpid()) + "_" + name);
  }

  std::unique_ptr<AcDbDatabase> db = std::make_unique<AcDbDatabase>();
};
