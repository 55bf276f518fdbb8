// The words a control's name stands for, for a screen reader: "SystemNameEdit" is
// "System name", "AlarmRecipient3Edit" "Alarm recipient 3", "PumpOn2Btn" "Pump on 2".
#pragma once

#include <string>
#include <string_view>

namespace vorel {

std::string WordsOfControlName(std::string_view objectName);

}  // namespace vorel
