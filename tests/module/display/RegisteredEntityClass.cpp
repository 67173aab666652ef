// The cloud entity class is registered for every test of this program.
#include "tests/support/PelvarClassEnvironment.h"

namespace {
const testing::Environment* const kRegisteredClass =
    testing::AddGlobalTestEnvironment(new pelvartest::PelvarClassEnvironment);
}  // namespace
