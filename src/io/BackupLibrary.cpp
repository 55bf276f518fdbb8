#include "io/BackupLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "core/app/StoredSettings.h"

namespace vorel {

namespace {

constexpr size_t kBatch = 250;

}  // namespace

QString BackupImagePath(const QString& folder, const BackupEntry& entry) {
  return QDir(folder).filePath(QString::fromStdString(entry.baseName) + QStringLiteral(".bin"));
}

QString BackupSystemFilePath(const QString& folder, const BackupEntry& entry) {
  return QDir(folder).filePath(QString::fromStdString(entry.baseName) + QStringLiteral(".xml"));
}

std::vector<BackupEntry> ListBackups(const QString& folder,
                                     const std::function<void(std::vector<BackupEntry>)>& batch,
                                     const std::atomic<bool>* stop) {
  const QDir dir(folder);
  const QStringList names =
      dir.entryList({QStringLiteral("*.bin"), QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
  std::set<QString> images;
  for (const QString& name : names) {
    if (name.endsWith(QStringLiteral(".bin"))) images.insert(name.chopped(4));
  }
  std::vector<BackupEntry> all;
  std::vector<BackupEntry> pending;
  for (const QString& name : names) {
    if (stop && stop->load()) break;
    const QString base = name.chopped(4);
    const bool image = name.endsWith(QStringLiteral(".bin"));
    if (!image && images.count(base)) continue;  // listed with its image
    const std::optional<BackupName> parsed = ParseBackupName(base.toStdString());
    if (!parsed) continue;
    BackupEntry entry;
    if (image) {
      QFile file(dir.filePath(name));
      QByteArray head;
      if (file.open(QIODevice::ReadOnly)) head = file.read(static_cast<qint64>(kBackupHeadBytes));
      entry = DescribeBackup(*parsed, base.toStdString(),
                             std::span(reinterpret_cast<const uint8_t*>(head.constData()),
                                       static_cast<size_t>(head.size())),
                             static_cast<uint64_t>(QFileInfo(dir.filePath(name)).size()),
                             dir.exists(base + QStringLiteral(".xml")));
      if (!file.isOpen()) entry.damaged = file.errorString().toStdString();
    } else {
      entry.baseName = base.toStdString();
      entry.name = *parsed;
      entry.hasSystemFile = true;
      entry.damaged = "the image is missing";
    }
    all.push_back(entry);
    pending.push_back(std::move(entry));
    if (batch && pending.size() >= kBatch) batch(std::exchange(pending, {}));
  }
  if (batch && !pending.empty()) batch(std::move(pending));
  SortBackups(all);
  return all;
}

Outcome DeleteBackup(const QString& folder, const BackupEntry& entry) {
  for (const QString& path :
       {BackupImagePath(folder, entry), BackupSystemFilePath(folder, entry)}) {
    if (!QFile::exists(path)) continue;
    QFile file(path);
    if (!file.moveToTrash() && !file.remove())
      return Outcome::Failed(path.toStdString() + ": " + file.errorString().toStdString());
  }
  return Outcome::Done();
}

int KeepNewestBackups(const QString& folder, int keep) {
  int deleted = 0;
  for (const BackupEntry& entry : BackupsBeyond(ListBackups(folder), keep)) {
    if (DeleteBackup(folder, entry)) ++deleted;
  }
  return deleted;
}

int KeptReadsPerController(SettingsStore& store) {
  int32_t keep = 0;
  if (store.ReadInteger(kKeptReadsSetting, keep) != SettingsStore::Result::Ok || keep < 0) return 0;
  return keep;
}

bool SetKeptReadsPerController(SettingsStore& store, int keep) {
  return store.WriteInteger(kKeptReadsSetting, std::max(keep, 0));
}

}  // namespace vorel
