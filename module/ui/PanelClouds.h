// What the control panel reads from and writes to the clouds of the current drawing, as
// plain functions over plain records. Every read and write happens under a write lock on
// the current document; without a document, or when the lock is refused, nothing is read
// or changed.
#pragma once
#include <cstdint>
#include <string>

class Pelvar;

// The clouds of model space as the panel shows them.
struct PanelCloudSummary {
  int count = 0;
  uint64_t totalPoints = 0;
  std::wstring list;         // "tile R<half size>" of the first three loaded clouds
  std::wstring missingLine;  // "\nfile missing: <path>" of the first cloud without data
  // The settings of the first cloud (whether or not its file loads).
  bool haveFirst = false;
  uint32_t classMask = 0;
  uint8_t colorMode = 0;
  bool autoClassify = false;
  bool elevFilterOn = false;
  double elevMin = 0, elevMax = 0;
  double dataMinZ = 0, dataMaxZ = 100;  // the first cloud's data range (0 to 100 without data)
};

// What the panel's controls set on every cloud.
struct PanelSettings {
  uint32_t classMask = 0;
  uint8_t colorMode = 0;
  uint16_t density = 0;  // 0 is stored as 100
  bool elevFilterOn = false;
  bool haveElevation = false;  // both edits held integers: the elevation window is set
  int elevMin = 0, elevMax = 0;
};

void AddCloudToSummary(PanelCloudSummary& summary, const Pelvar& cloud);
// The information text of static 1060.
std::wstring CloudInfoText(const PanelCloudSummary& summary);
PanelCloudSummary SummarizeCurrentDrawing();

// Writes the settings to every cloud and queues one "_.REGEN " when any changed; returns
// how many clouds changed.
int ApplyPanelSettings(const PanelSettings& settings);
// Switches automatic classification of every cloud and updates the display.
int SetAutoClassifyOnClouds(bool on);

// The nearest int to an elevation already rounded by floor or ceil: values beyond the
// range of int (the infinities too) become its ends, and a NaN becomes 0.
int ClampToInt(double value);
// Queues text on the current document as if typed (activating it, echoing the text).
// False when there is no current document.
bool QueueOnCurrentDocument(const wchar_t* text);
