// The operator's settings store: the registry key \SOFTWARE\Vantrell\VOREL of the
// current user on Windows, the per-user native store with the same value names
// elsewhere.
#pragma once

#include <QSettings>

#include "core/app/StoredSettings.h"

namespace vorel {

class QtSettingsStore final : public SettingsStore {
 public:
  QtSettingsStore();
  Result ReadInteger(const std::string& name, int32_t& value) override;
  Result ReadString(const std::string& name, std::string& value) override;
  bool WriteInteger(const std::string& name, int32_t value) override;
  bool WriteString(const std::string& name, const std::string& value) override;

 private:
  QSettings settings_;
};

}  // namespace vorel
