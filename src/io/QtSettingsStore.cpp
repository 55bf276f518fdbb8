// QSettings in native format.
#include "io/QtSettingsStore.h"

namespace vorel {

QtSettingsStore::QtSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"),
                QStringLiteral("VOREL")) {}

SettingsStore::Result QtSettingsStore::ReadInteger(const std::string& name, int32_t& value) {
  if (settings_.status() != QSettings::NoError) return Result::Error;
  const QString key = QString::fromStdString(name);
  if (!settings_.contains(key)) return Result::Missing;
  bool ok = false;
  const int read = settings_.value(key).toInt(&ok);
  if (!ok) return Result::Error;
  value = read;
  return Result::Ok;
}

SettingsStore::Result QtSettingsStore::ReadString(const std::string& name, std::string& value) {
  if (settings_.status() != QSettings::NoError) return Result::Error;
  const QString key = QString::fromStdString(name);
  if (!settings_.contains(key)) return Result::Missing;
  value = settings_.value(key).toString().toStdString();
  return Result::Ok;
}

bool QtSettingsStore::WriteInteger(const std::string& name, int32_t value) {
  settings_.setValue(QString::fromStdString(name), value);
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

bool QtSettingsStore::WriteString(const std::string& name, const std::string& value) {
  settings_.setValue(QString::fromStdString(name), QString::fromStdString(value));
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

}  // namespace vorel
