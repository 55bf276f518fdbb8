// Control names read as words for a screen reader.
#include <gtest/gtest.h>

#include "core/app/ControlNames.h"

namespace vorel {
namespace {

TEST(ControlNames, Words) {
  const struct {
    const char* name;
    const char* words;
  } cases[] = {
      {"SystemNameEdit", "System name"},
      {"AlarmRecipient3Edit", "Alarm recipient 3"},
      {"PumpOn2Btn", "Pump on 2"},
      {"TriggerTypeComboBox", "Trigger type"},
      {"Group1Alarm2Btn", "Group 1 alarm 2"},
      {"MQ350watchLabel", "MQ 350 watch"},
      {"OKbtn", "OK"},
      {"ComPortCombo", "Com port"},
      {"Btn", "Btn"},  // nothing but the kind
  };
  for (const auto& c : cases) EXPECT_EQ(WordsOfControlName(c.name), c.words) << c.name;
}

}  // namespace
}  // namespace vorel
