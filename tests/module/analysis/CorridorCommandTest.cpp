// PELVARPROFC in process, for the drawings a script cannot make: a cloud whose file is
// gone, and a polyline too degenerate to tell its length.
#include <gtest/gtest.h>

#include "analysis/CorridorProfile.h"
#include "db3dpoly.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "tests/module/analysis/ViewFixture.h"

namespace {

class CorridorCommand : public viewtest::DrawingTest {
 protected:
  std::string Run(const std::wstring& answers) {
    pelvarhost::ResetInput();
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answers));
    pelvarhost::OutputCapture capture;
    PelvarCorridorProfileCommand();
    pelvarhost::ResetInput();
    return capture.Text();
  }
};

TEST_F(CorridorCommand, ACloudWhoseFileIsGoneIsNotAvailable) {
  AddCloudEntity(L"/no/such/cloud.kmt");
  std::string out = Run(L"\n");
  EXPECT_NE(out.find("Select cloud <Enter = first in drawing>: \nCloud file is not available."), std::string::npos)
      << out;
  EXPECT_EQ(out.find("Active classes"), std::string::npos) << out;
}

TEST_F(CorridorCommand, APolylineThatCannotTellItsLengthIsNotACurve) {
  terrain::Cloud cloud;
  AddCloudEntity(viewtest::WriteCloud(cloud, "deck.kmt"));
  auto* single = new AcDb3dPolyline();
  single->appendVertex(AcGePoint3d(5000, 5000, 0));  // away from the cloud's square
  pelvartest::AppendToModelSpace(db_, single);
  std::string out = Run(L"\n5000,5000\n5\n");
  EXPECT_NE(out.find("Select centerline (line/polyline): 5000,5000\nNot a curve."), std::string::npos) << out;
  EXPECT_EQ(out.find("Corridor half-width"), std::string::npos) << out;
}

}  // namespace
