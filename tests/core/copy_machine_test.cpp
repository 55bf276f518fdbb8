// Copying one machine's configuration onto another machine or onto all others.
#include <gtest/gtest.h>

#include <vector>

#include "core/config/CopyMachine.h"
#include "support/ProgramBuilders.h"

namespace vorel {
namespace {

using test::Configured;

TEST(CopyMachine, ToAllKeepsEnabledFlags) {
  SystemConfiguration config;
  config.MachineData[2] = Configured();
  config.MachineData[2].Enabled = true;
  config.MachineData[7].Enabled = true;
  const CopyOutcome outcome = CopyMachines(config, 2, kCopyToAll);
  EXPECT_EQ(outcome.status, "Copy Machine 3 to all.");
  EXPECT_EQ(outcome.targetIndexes, (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8, 9}));
  for (int i = 0; i < kMachineCount; ++i) {
    SCOPED_TRACE(i);
    MachineSettings expected = Configured();
    expected.Enabled = (i == 0 || i == 2 || i == 7);
    EXPECT_EQ(config.MachineData[i], expected);
  }
}

TEST(CopyMachine, SingleTargetAndEqualMachines) {
  struct Case {
    int from, to;
    const char* status;
    bool copied;
  } cases[] = {{2, 9, "Copy Machine 3 to Machine 10.", true},
               {0, 0, "Copy ?", false},
               {9, 9, "Copy ?", false},
               {-1, 3, "Copy ?", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    SystemConfiguration config;
    if (c.from >= 0) config.MachineData[c.from] = Configured();
    const SystemConfiguration before = config;
    const CopyOutcome outcome = CopyMachines(config, c.from, c.to);
    EXPECT_EQ(outcome.status, c.status);
    if (c.copied) {
      EXPECT_EQ(config.MachineData[c.to].Programs[2].Name, "Towels");
      EXPECT_EQ(config.MachineData[c.to].Trigger, Configured().Trigger);
    } else {
      EXPECT_EQ(config, before);
    }
  }
}

}  // namespace
}  // namespace vorel
