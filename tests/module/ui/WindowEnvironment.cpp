// The window tests run with the program's main window open on the offscreen platform.
#include <gtest/gtest.h>

#include "hostcommands.h"
#include "hostgui.h"

namespace {

class WindowEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    pelvarhost::EnsureWindowApplication();
    pelvarhost::RegisterHostCommands();
    pelvarhost::OpenMainWindow();
  }
  void TearDown() override {
    pelvarhost::CloseMainWindow();
    pelvarhost::RemoveHostCommands();
    pelvarhost::StopWindowApplication();
  }
};

[[maybe_unused]] testing::Environment* const environment = testing::AddGlobalTestEnvironment(new WindowEnvironment);

}  // namespace
