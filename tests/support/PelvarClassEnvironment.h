// For test programs whose every test works with cloud entities: registers the entity class
// for the whole run, as the module's load sequence does, and deletes it at the end.
#pragma once
#include <gtest/gtest.h>

#include "entity/PelvarClass.h"

namespace pelvartest {

class PelvarClassEnvironment : public testing::Environment {
 public:
  void SetUp() override { RegisterPelvarClass(); }
  void TearDown() override { UnregisterPelvarClass(); }
};

}  // namespace pelvartest
