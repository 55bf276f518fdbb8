// A settings store in memory for tests: records the order of writes and can fail
// on one value name.
#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "core/app/StoredSettings.h"

namespace vorel::test {

class MemorySettingsStore : public SettingsStore {
 public:
  std::map<std::string, std::variant<int32_t, std::string>> values;
  std::string failOn;
  std::vector<std::string> written;

  Result ReadInteger(const std::string& name, int32_t& value) override {
    if (name == failOn) return Result::Error;
    auto it = values.find(name);
    if (it == values.end()) return Result::Missing;
    if (!std::holds_alternative<int32_t>(it->second)) return Result::Error;
    value = std::get<int32_t>(it->second);
    return Result::Ok;
  }
  Result ReadString(const std::string& name, std::string& value) override {
    if (name == failOn) return Result::Error;
    auto it = values.find(name);
    if (it == values.end()) return Result::Missing;
    if (!std::holds_alternative<std::string>(it->second)) return Result::Error;
    value = std::get<std::string>(it->second);
    return Result::Ok;
  }
  bool WriteInteger(const std::string& name, int32_t value) override {
    if (name == failOn) return false;
    values[name] = value;
    written.push_back(name);
    return true;
  }
  bool WriteString(const std::string& name, const std::string& value) override {
    if (name == failOn) return false;
    values[name] = value;
    written.push_back(name);
    return true;
  }
};

}  // namespace vorel::test
