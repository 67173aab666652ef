// The program's window on Qt's offscreen platform, one current drawing and clouds written
// from the sample generator; the panel's widgets are found by their control ids.
#pragma once
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "acdocman.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "entity/Pelvar.h"
#include "hostgui.h"
#include "hostinput.h"
#include "tests/support/AppendEntity.h"
#include "tests/support/ScopedEnv.h"
#include "tools/samplegen/SampleCloud.h"
#include "ui/PanelHooks.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace uitest {

namespace fs = std::filesystem;

inline fs::path FreshFolder(const std::string& tag) {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder =
      fs::path(testing::TempDir()) / ("pelvar_ui_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + tag);
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// The widget of a control of the panel (or any window) by its id.
inline QWidget* Control(int id) {
  QString name = QString::number(id);
  for (QWidget* widget : QApplication::allWidgets())
    if (widget->objectName() == name) return widget;
  return nullptr;
}

// The input line of the window's command line.
inline QLineEdit* CommandInput() {
  for (QWidget* widget : QApplication::allWidgets())
    if (widget->objectName() == QLatin1String("commandInput")) return qobject_cast<QLineEdit*>(widget);
  return nullptr;
}

inline void Click(int id) {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

// What a cloud entity holds after the panel changed it.
struct CloudFields {
  uint32_t classMask = 0;
  uint8_t colorMode = 0;
  uint16_t density = 0;
  bool elevFilterOn = false;
  double elevMin = 0, elevMax = 0;
  bool autoClassify = false;
  bool overridesDirty = false;
};

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder("files");
    config_ = std::make_unique<pelvartest::ScopedEnv>("XDG_CONFIG_HOME", (folder_ / "config").string());
    pelvarhost::ResetInput();
    ClearCloudCache();
    document_ = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Panel.pvd", true);
  }
  void TearDown() override {
    DestroyPanel();
    acDocManagerPtr()->closeAllDocuments();
    pelvarhost::ResetInput();
    ClearCloudCache();
  }

  AcDbDatabase& Db() { return *document_->database(); }

  // Writes a sample cloud file and returns its path.
  std::wstring WriteCloud(const std::string& name, uint32_t points, const std::string& tile) {
    SampleCloudRequest request;
    request.pointCount = points;
    request.seed = 5;
    request.tileName = tile;
    fs::path path = folder_ / name;
    std::string error;
    EXPECT_TRUE(WriteSampleCloud(request, path.string(), false, &error)) << error;
    return pelvarhost::Utf8ToWide(path.string());
  }

  AcDbObjectId AddCloud(const std::wstring& path) {
    auto* cloud = new Pelvar();
    cloud->setCloudPath(path);
    AcDbObjectId id = pelvartest::AppendToModelSpace(Db(), cloud);
    ids_.push_back(id);
    return id;
  }

  CloudFields Fields(AcDbObjectId id) {
    CloudFields fields;
    Pelvar* cloud = nullptr;
    EXPECT_EQ(acdbOpenObject(cloud, id, AcDb::kForRead), Acad::eOk);
    if (cloud == nullptr) return fields;
    fields = CloudFields{cloud->classMask(), cloud->colorMode(), cloud->density(), cloud->elevFilterOn(),
                         cloud->elevMin(), cloud->elevMax(), cloud->autoClassify(), cloud->overridesDirty()};
    cloud->close();
    return fields;
  }

  template <typename Change>
  void ChangeCloud(AcDbObjectId id, Change change) {
    Pelvar* cloud = nullptr;
    ASSERT_EQ(acdbOpenObject(cloud, id, AcDb::kForWrite), Acad::eOk);
    change(*cloud);
    cloud->close();
  }

  // The queued typing, taken.
  std::wstring TakeQueued() {
    std::wstring queued = pelvarhost::QueuedTyping();
    pelvarhost::ResetInput();
    return queued;
  }

  fs::path folder_;
  std::unique_ptr<pelvartest::ScopedEnv> config_;
  AcApDocument* document_ = nullptr;
  std::vector<AcDbObjectId> ids_;
};

}  // namespace uitest
