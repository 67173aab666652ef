// The control panel in the program's window: its controls, its texts, every event's change
// to all clouds of the drawing, and the command strings it queues.
#include <QDockWidget>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSlider>
#include <climits>
#include <fstream>
#include <cmath>
#include <limits>

#include "afxwin.h"
#include "app/Settings.h"
#include "classify/ClassCommands.h"
#include "entity/PelvarClass.h"
#include "hostoutput.h"
#include "rxmfcapi.h"
#include "tests/module/ui/WindowFixture.h"
#include "ui/PaletteSet.h"
#include "ui/PanelDlg.h"

namespace uitest {
namespace {

using pelvarhost::OutputCapture;

class PanelTest : public WindowTest {
 protected:
  // The clouds the panel shows need their class, registered as the load sequence does.
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }

 protected:
  CPelvarPanelDlg& OpenPanel() {
    if (PanelDialog() == nullptr) TogglePanel();
    EXPECT_NE(PanelDialog(), nullptr);
    return *PanelDialog();
  }
  std::wstring InfoText() { return PanelDialog()->GetDlgItem(1060)->GetWindowText(); }
  std::wstring Text(int id) { return PanelDialog()->GetDlgItem(id)->GetWindowText(); }
  void SetEdit(int id, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(Control(id));
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
    QFocusEvent focusOut(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &focusOut);
  }
  QSlider* Slider() { return qobject_cast<QSlider*>(Control(1040)); }
};

// Every control of the template: id, kind and text, at its position in dialog units
// (6 x 13 pixels per 4 x 8 units).
TEST_F(PanelTest, DialogHoldsEveryControlOfItsTemplateAtItsScaledPosition) {
  OpenPanel();
  struct Expected {
    int id;
    const wchar_t* text;
    int x, y, cx, cy;
  };
  const Expected controls[] = {
      {1300, L" CLASSES", 0, 4, 172, 12},          {1001, L"1 Unclassified", 12, 20, 72, 10},
      {1010, L"20 Ground (x)", 88, 72, 72, 10},    {1021, L"None", 50, 86, 34, 12},
      {1032, L"Elevation", 112, 124, 48, 10},      {1040, L"", 12, 157, 116, 14},
      {1041, L"100%", 132, 160, 28, 10},           {1304, L" MEASURE && BUILD", 0, 216, 172, 12},
      {1053, L"Create EG surface", 12, 268, 72, 14}, {1066, L"", 120, 355, 38, 12},
      {1200, L"Auto-classify unclassified", 12, 378, 150, 10}, {1061, L"About Pelvar", 89, 412, 77, 14},
  };
  for (const Expected& c : controls) {
    QWidget* widget = Control(c.id);
    ASSERT_NE(widget, nullptr) << c.id;
    if (c.id != 1066 && c.id != 1040) {
      EXPECT_EQ(Text(c.id), c.text) << c.id;
    }
    int width = widget->width();
    if (c.id < 1300 || c.id > 1306) {  // headers are widened to the dialog on sizing
      EXPECT_EQ(widget->x(), c.x * 6 / 4) << c.id;
      EXPECT_EQ(width, (c.x + c.cx) * 6 / 4 - c.x * 6 / 4) << c.id;
    }
    EXPECT_EQ(widget->y(), c.y * 13 / 8) << c.id;
    EXPECT_EQ(widget->height(), (c.y + c.cy) * 13 / 8 - c.y * 13 / 8) << c.id;
  }
  int buttons = 0;
  for (int id = 1001; id <= 1010; ++id) EXPECT_EQ(PanelDialog()->ButtonKinds().at(id), 1);
  for (int id : {1030, 1031, 1032}) EXPECT_EQ(PanelDialog()->ButtonKinds().at(id), 2);
  for (int id : {1020, 1021, 1050, 1202, 1051, 1054, 1204, 1203, 1053, 1055, 1201, 1062, 1205, 1061})
    EXPECT_EQ(PanelDialog()->ButtonKinds().at(id), 0);
  for (auto [id, kind] : PanelDialog()->ButtonKinds()) {
    ++buttons;
    EXPECT_EQ(PanelDialog()->GetDlgItem(id)->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW)) << id;
  }
  EXPECT_EQ(buttons, 29);
  EXPECT_EQ(PanelDialog()->CheckState(1030), 1);
  EXPECT_EQ(Slider()->minimum(), 10);
  EXPECT_EQ(Slider()->maximum(), 300);
  EXPECT_EQ(Slider()->value(), 100);
}

// The palette set docks at the left edge of the main frame, its docked width the dialog's
// plus 10 pixels; PELVARPANEL hides and shows it in turn.
TEST_F(PanelTest, PanelCommandCreatesDocksAndTogglesThePalette) {
  OutputCapture output;
  PelvarPanelCommand();
  CPelvarPaletteSet* palette = PanelPaletteSet();
  ASSERT_NE(palette, nullptr);
  EXPECT_TRUE(IsPanelVisible());
  auto* frame = qobject_cast<QMainWindow*>(QApplication::activeWindow() ? QApplication::activeWindow() : nullptr);
  auto docks = QApplication::allWidgets();
  QDockWidget* dock = nullptr;
  for (QWidget* w : docks)
    if (auto* d = qobject_cast<QDockWidget*>(w); d != nullptr && d->windowTitle() == "Mardel") dock = d;
  ASSERT_NE(dock, nullptr);
  auto* mainWindow = qobject_cast<QMainWindow*>(dock->parentWidget());
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_EQ(mainWindow->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
  EXPECT_EQ(dock->allowedAreas(), Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  (void)frame;
  CRect dialogRect;
  PanelDialog()->GetWindowRect(&dialogRect);
  EXPECT_EQ(palette->DockedWidth(), 258 + 10);
  EXPECT_EQ(palette->CalcDynamicLayout(-1, LM_VERTDOCK).cx, 268);
  EXPECT_EQ(Control(1060)->parentWidget()->y(), 22);  // below the palette's title band

  PelvarPanelCommand();
  EXPECT_FALSE(IsPanelVisible());
  EXPECT_FALSE(dock->isVisible());
  PelvarPanelCommand();
  EXPECT_TRUE(IsPanelVisible());
  EXPECT_EQ(PanelPaletteSet(), palette);  // one palette set while the module is loaded
  EXPECT_EQ(output.Text(), "");
}

TEST_F(PanelTest, ShowPanelAlwaysLeavesThePaletteShownAndSaysSo) {
  OutputCapture output;
  pelvarhost::WriteCommandLine(L">");
  ShowPanel();
  EXPECT_TRUE(IsPanelVisible());
  HidePanel();
  EXPECT_FALSE(IsPanelVisible());
  ShowPanel();
  EXPECT_TRUE(IsPanelVisible());
  ShowPanel();  // its toggle hides the palette, and it shows it again
  EXPECT_TRUE(IsPanelVisible());
  EXPECT_EQ(output.Text(),
            ">\nPelvarPanel: palette shown.\nPelvarPanel: palette shown.\nPelvarPanel: palette shown.");
}

// Without the host's main frame (the console program) ShowPanel does nothing, and the
// command says that it needs the window.
TEST_F(PanelTest, WithoutAMainFrameShowPanelDoesNothingAndTheCommandFails) {
  pelvarhost::CloseMainWindow();
  EXPECT_EQ(acedGetAcadFrame(), nullptr);
  {
    OutputCapture output;
    pelvarhost::WriteCommandLine(L">");
    ShowPanel();
    EXPECT_EQ(PanelPaletteSet(), nullptr);
    EXPECT_EQ(output.Text(), ">");
    PelvarPanelCommand();
    EXPECT_EQ(PanelPaletteSet(), nullptr);
    EXPECT_EQ(output.Text(), ">\nPELVARPANEL needs the window: run pelvar --gui.");
  }
  pelvarhost::OpenMainWindow();
  EXPECT_NE(acedGetAcadFrame(), nullptr);
}

TEST_F(PanelTest, InformationTextForNoCloudOneMissingFileAndFiveClouds) {
  OpenPanel();
  EXPECT_EQ(InfoText(), L"No PELVAR in this drawing.\nUse Attach .kmt to add one.");

  AddCloud(L"/nonexistent/gone.kmt");
  RefreshPanel();
  EXPECT_EQ(InfoText(), L"1 cloud(s), 0 pts\n\nfile missing: /nonexistent/gone.kmt");
  acDocManagerPtr()->closeAllDocuments();
  document_ = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Five.pvd", true);

  const uint32_t points[] = {1200, 900, 1500, 800, 1000};
  const char* tiles[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo"};
  uint64_t total = 0;
  for (int i = 0; i < 5; ++i) {
    AddCloud(WriteCloud("cloud" + std::to_string(i) + ".kmt", points[i], tiles[i]));
    total += points[i];
  }
  RefreshPanel();
  EXPECT_EQ(InfoText(), L"5 cloud(s), " + std::to_wstring(total) +
                            L" pts\nAlpha R1000 \u00B7 Bravo R1000 \u00B7 Charlie R1000 \u00B7 +2 more");
}

// The first cloud supplies the check states and the elevation edits; other clouds do not.
TEST_F(PanelTest, RefreshTakesTheSettingsOfTheFirstCloud) {
  OpenPanel();
  AcDbObjectId first = AddCloud(WriteCloud("a.kmt", 1000, "First"));
  AddCloud(WriteCloud("b.kmt", 1000, "Second"));
  ChangeCloud(first, [](Pelvar& c) {
    c.setClassMask((1u << 2) | (1u << 17));
    c.setColorMode(Pelvar::kColorByElevation);
    c.setElevationWindow(true, 812.4, 830.2);
    c.setAutoClassify(true);
  });
  RefreshPanel();
  for (int id = 1001; id <= 1010; ++id) EXPECT_EQ(PanelDialog()->CheckState(id), id == 1002 || id == 1009) << id;
  EXPECT_EQ(PanelDialog()->CheckState(1030), 0);
  EXPECT_EQ(PanelDialog()->CheckState(1032), 1);
  EXPECT_EQ(PanelDialog()->CheckState(1063), 1);
  EXPECT_EQ(PanelDialog()->CheckState(1200), 1);
  EXPECT_EQ(Text(1064), L"812");
  EXPECT_EQ(Text(1066), L"831");

  // With the window off, the edits show the first cloud's data range.
  KmqDataPtr data = LoadCloudFile(folder_.wstring() + L"/a.kmt");
  ASSERT_TRUE(data);
  ChangeCloud(first, [](Pelvar& c) { c.setElevationWindow(false, 0, 0); });
  RefreshPanel();
  EXPECT_EQ(Text(1064), std::to_wstring(static_cast<int>(std::floor(data->originZ))));
  EXPECT_EQ(Text(1066), std::to_wstring(static_cast<int>(std::ceil(data->originZ + data->sizeZ))));
}

// Elevations beyond the range of int, infinite or not a number are clamped before they
// become edit texts.
TEST_F(PanelTest, ElevationsThatDoNotFitAnIntAreClamped) {
  OpenPanel();
  AcDbObjectId cloud = AddCloud(L"/nonexistent/gone.kmt");
  const double inf = std::numeric_limits<double>::infinity();
  ChangeCloud(cloud, [&](Pelvar& c) { c.setElevationWindow(true, -inf, 1e300); });
  RefreshPanel();
  EXPECT_EQ(Text(1064), std::to_wstring(INT_MIN));
  EXPECT_EQ(Text(1066), std::to_wstring(INT_MAX));
  ChangeCloud(cloud, [&](Pelvar& c) { c.setElevationWindow(true, std::nan(""), -3e12); });
  RefreshPanel();
  EXPECT_EQ(Text(1064), L"0");
  EXPECT_EQ(Text(1066), std::to_wstring(INT_MIN));
}

TEST_F(PanelTest, UntickingGroundClearsItsBitOnEveryCloudAndQueuesOneRegen) {
  OpenPanel();
  AddCloud(WriteCloud("a.kmt", 1000, "A"));
  AddCloud(L"/nonexistent/gone.kmt");
  ChangeCloud(ids_[0], [](Pelvar& c) { c.setClassMask(0xFFFFFFFFu); });
  RefreshPanel();
  Click(1002);
  const uint32_t expected = (1u << 1) | (1u << 3) | (1u << 4) | (1u << 5) | (1u << 6) | (1u << 7) | (1u << 9) |
                            (1u << 17) | (1u << 20);
  for (AcDbObjectId id : ids_) {
    CloudFields fields = Fields(id);
    EXPECT_EQ(fields.classMask, expected);
    EXPECT_EQ(fields.density, 100);
  }
  EXPECT_EQ(TakeQueued(), L"_.REGEN ");

  Click(1021);
  for (AcDbObjectId id : ids_) EXPECT_EQ(Fields(id).classMask, 0u);
  Click(1020);
  for (AcDbObjectId id : ids_) EXPECT_EQ(Fields(id).classMask, 0x1202FEu);
  EXPECT_EQ(TakeQueued(), L"_.REGEN _.REGEN ");
}

TEST_F(PanelTest, ColourRadiosSelectOneModeOnEveryCloud) {
  OpenPanel();
  AddCloud(WriteCloud("a.kmt", 1000, "A"));
  AddCloud(WriteCloud("b.kmt", 1000, "B"));
  Click(1031);
  for (AcDbObjectId id : ids_) EXPECT_EQ(Fields(id).colorMode, Pelvar::kColorByIntensity);
  EXPECT_EQ(PanelDialog()->CheckState(1030) + PanelDialog()->CheckState(1031) + PanelDialog()->CheckState(1032), 1);
  Click(1032);
  for (AcDbObjectId id : ids_) EXPECT_EQ(Fields(id).colorMode, Pelvar::kColorByElevation);
  Click(1030);
  for (AcDbObjectId id : ids_) EXPECT_EQ(Fields(id).colorMode, Pelvar::kColorByClass);
}

// Dragging updates the label continuously and changes the clouds only on release; a page
// step changes them at once.
TEST_F(PanelTest, SliderAppliesOnReleaseAndStepsNotWhileDragging) {
  OpenPanel();
  AddCloud(WriteCloud("a.kmt", 1000, "A"));
  QSlider* slider = Slider();
  slider->setSliderDown(true);
  slider->setSliderPosition(150);
  EXPECT_EQ(Text(1041), L"150%");
  slider->setSliderPosition(180);
  EXPECT_EQ(Text(1041), L"180%");
  EXPECT_EQ(Fields(ids_[0]).density, 100);
  EXPECT_EQ(TakeQueued(), L"");
  slider->setSliderDown(false);
  EXPECT_EQ(Fields(ids_[0]).density, 180);
  TakeQueued();

  slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Fields(ids_[0]).density, 180 + slider->pageStep());
  EXPECT_EQ(Text(1041), std::to_wstring(180 + slider->pageStep()) + L"%");
}

// Min 50 and Max 20 are stored swapped with the switch; an edit without an integer leaves
// the elevation window of every cloud alone.
TEST_F(PanelTest, ElevationEditsAndSwitchSetTheWindowOfEveryCloud) {
  OpenPanel();
  AddCloud(WriteCloud("a.kmt", 1000, "A"));
  AddCloud(WriteCloud("b.kmt", 1000, "B"));
  SetEdit(1064, "50");
  SetEdit(1066, "20");
  for (AcDbObjectId id : ids_) {
    CloudFields fields = Fields(id);
    EXPECT_EQ(fields.elevMin, 20);
    EXPECT_EQ(fields.elevMax, 50);
    EXPECT_FALSE(fields.elevFilterOn);
  }
  Click(1063);
  for (AcDbObjectId id : ids_) EXPECT_TRUE(Fields(id).elevFilterOn);
  SetEdit(1066, "high");
  Click(1063);
  for (AcDbObjectId id : ids_) {
    CloudFields fields = Fields(id);
    EXPECT_TRUE(fields.elevFilterOn);
    EXPECT_EQ(fields.elevMin, 20);
    EXPECT_EQ(fields.elevMax, 50);
  }
}

TEST_F(PanelTest, AutoClassifySwitchMarksOverridesWithoutQueueingARegen) {
  OpenPanel();
  AddCloud(WriteCloud("a.kmt", 1000, "A"));
  AddCloud(L"/nonexistent/gone.kmt");
  Click(1200);
  for (AcDbObjectId id : ids_) EXPECT_TRUE(Fields(id).autoClassify);
  // The display update that follows rebuilds the classes of the cloud it can load; the
  // cloud whose file is gone keeps its mark until it can.
  EXPECT_TRUE(Fields(ids_[1]).overridesDirty);
  EXPECT_EQ(TakeQueued(), L"");
  Click(1200);
  for (AcDbObjectId id : ids_) EXPECT_FALSE(Fields(id).autoClassify);
}

TEST_F(PanelTest, SaveClassesAsDefaultStoresTheTickedMaskOrSaysItCouldNot) {
  OpenPanel();
  Click(1021);
  Click(1002);
  Click(1009);
  Click(1201);
  EXPECT_EQ(ReadDefaultClassMask(7), (1u << 2) | (1u << 17));
  EXPECT_EQ(InfoText(), L"Current classes saved as the attach default.");

  // A file where the registry's folder should be: the value cannot be written.
  fs::path blocker = folder_ / "blocked";
  { std::ofstream(blocker) << "x"; }
  pelvartest::ScopedEnv unwritable("XDG_CONFIG_HOME", blocker.string());
  Click(1201);
  EXPECT_EQ(InfoText(), L"Could not write the default to the registry.");
}

TEST_F(PanelTest, CommandButtonsQueueTheirCommandOnTheCurrentDocument) {
  OpenPanel();
  const std::pair<int, const wchar_t*> buttons[] = {
      {1050, L"PELVARATTACH "}, {1202, L"PELVARFETCH "}, {1051, L"PELVARPICK "},  {1054, L"PELVARPROF "},
      {1204, L"PELVARPROFC "},  {1203, L"PELVARCROP "},  {1053, L"PELVARSURF "},  {1055, L"PELVARCOGO "},
      {1062, L"PELVARRECLASS "}, {1061, L"PELVARABOUT "},
  };
  for (auto [id, text] : buttons) {
    Click(id);
    EXPECT_EQ(TakeQueued(), text) << id;
  }
  std::wstring shown;
  UINT type = 0;
  OutputCapture output;
  std::string printedBeforeBox;
  auto previous = pelvarhost::SetMessageBoxHook([&](const std::wstring& text, UINT t) {
    shown = text;
    type = t;
    printedBeforeBox = output.Text();
    return IDOK;
  });
  Click(1205);
  EXPECT_EQ(TakeQueued(), L"PELVARHELP ");
  EXPECT_EQ(shown, L"") << "the box speaks of the list: it waits for it";
  PelvarHelpCommand();
  pelvarhost::SetMessageBoxHook(previous);
  EXPECT_NE(printedBeforeBox.find("PELVARDEFCLS"), std::string::npos);
  EXPECT_EQ(type, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(shown,
            L"Typical workflow\n\n"
            L"1. Get a cloud: Attach .kmt (viewer export) or Fetch 3DEP\n"
            L"    (draw a rectangle, full density comes from USGS).\n"
            L"2. Too big? Crop rectangle cuts a working piece.\n"
            L"3. Tick classes to isolate what you need; Auto-classify\n"
            L"    colors the gray unclassified points by height.\n"
            L"4. Read: Pick point. Build: Ground profile, Class profile\n"
            L"    (uses the TICKED classes: bridge decks, roofs),\n"
            L"    Create EG surface, COGO points.\n"
            L"5. Save classes as default applies your set to every attach.\n\n"
            L"Full command list was printed to the command line.");

  // Without a current document the buttons do nothing.
  acDocManagerPtr()->closeAllDocuments();
  Click(1050);
  EXPECT_EQ(TakeQueued(), L"");
}

// Owner-drawn controls: a ticked box shows the accent inside its frame, an unticked one the
// indicator fill; push buttons show their face colour.
TEST_F(PanelTest, OwnerDrawnControlsUseThePanelColours) {
  OpenPanel();
  AcDbObjectId cloud = AddCloud(L"/nonexistent/gone.kmt");
  ChangeCloud(cloud, [](Pelvar& c) { c.setClassMask(1u << 2); });
  RefreshPanel();
  auto pixel = [](int id, int x, int y) { return Control(id)->grab().toImage().pixelColor(x, y); };
  QWidget* ground = Control(1002);
  int middle = ground->height() / 2;
  EXPECT_EQ(pixel(1002, 5, middle), QColor(79, 193, 199));   // checked mark
  EXPECT_EQ(pixel(1002, 0, middle), QColor(84, 94, 108));    // indicator frame
  EXPECT_EQ(pixel(1001, 5, middle), QColor(30, 34, 42));     // unchecked: indicator fill
  EXPECT_EQ(pixel(1001, 14, 1), QColor(43, 48, 58));         // cell background
  EXPECT_EQ(pixel(1030, 5, Control(1030)->height() / 2), QColor(79, 193, 199));
  EXPECT_EQ(pixel(1050, 3, 3), QColor(52, 59, 70));          // push-button face
  EXPECT_EQ(pixel(1050, 0, 0), QColor(84, 94, 108));         // and frame
  EXPECT_EQ(pixel(1300, 1, 1), QColor(59, 68, 83));          // section header
}

}  // namespace
}  // namespace uitest
