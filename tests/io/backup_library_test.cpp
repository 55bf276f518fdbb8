// The backup folder as the backups window and vorelctl list it: kept reads among
// other files and damaged ones, deleting both files of a read, and the newest reads
// of each controller kept after a new one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/image/ImagePacking.h"
#include "io/BackupLibrary.h"
#include "io/ReadBackupFolder.h"

namespace vorel {
namespace {

// What these tests delete goes to a trash of their own, not the technician's.
class BackupLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit()); }
  QTemporaryDir data_;
};

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray Image(const std::string& systemName) {
  SystemConfiguration config;
  config.MainSetup.SystemName = systemName;
  ImageState state;
  PackImage(config, state, {2026, 12, 9, 8, 0, 0, 2});
  return QByteArray(reinterpret_cast<const char*>(state.image.bytes.data()),
                    static_cast<qsizetype>(state.image.bytes.size()));
}

TEST_F(BackupLibraryTest, ListsTheReadsAmongOtherFilesAndDamagedOnes) {
  QTemporaryDir folder;
  const QDir dir(folder.path());
  Write(dir.filePath("4200_2026-12-08_09-00-00.bin"), Image("Hall A"));
  Write(dir.filePath("4200_2026-12-08_09-00-00.xml"), "<TL4200system/>");
  Write(dir.filePath("4200_2026-12-09_09-00-00.bin"), Image("Hall B"));
  Write(dir.filePath("4200_2026-12-09_10-00-00.bin"), "short");          // damaged
  Write(dir.filePath("31_2026-01-01_00-00-00.xml"), "<TL4200system/>");  // its image is gone
  Write(dir.filePath("notes.txt"), "not a backup");
  Write(dir.filePath("site.bin"), Image("Not a read"));
  ASSERT_TRUE(dir.mkdir("4200_2026-12-10_00-00-00.bin"));  // a folder of that name

  size_t batches = 0;
  const std::vector<BackupEntry> entries = ListBackups(
      folder.path(), [&](std::vector<BackupEntry> batch) { batches += !batch.empty(); });
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(batches, 1u);
  EXPECT_EQ(entries[0].baseName, "31_2026-01-01_00-00-00");
  EXPECT_EQ(entries[0].damaged, "the image is missing");
  EXPECT_EQ(entries[1].baseName, "4200_2026-12-09_10-00-00");
  EXPECT_EQ(entries[1].damaged, "not a memory image (5 bytes)");
  EXPECT_EQ(entries[2].systemName, "Hall B");
  EXPECT_FALSE(entries[2].hasSystemFile);
  EXPECT_EQ(entries[3].systemName, "Hall A");
  EXPECT_TRUE(entries[3].hasSystemFile);
  EXPECT_EQ(entries[3].size, static_cast<uint64_t>(image::kSize));

  ASSERT_TRUE(DeleteBackup(folder.path(), entries[3]));
  EXPECT_FALSE(QFile::exists(dir.filePath("4200_2026-12-08_09-00-00.bin")));
  EXPECT_FALSE(QFile::exists(dir.filePath("4200_2026-12-08_09-00-00.xml")));
  EXPECT_EQ(ListBackups(folder.path()).size(), 3u);
}

TEST_F(BackupLibraryTest, OnlyTheNewestReadsOfEachControllerStay) {
  QTemporaryDir folder;
  int minute = 0;
  ReadBackupFolder backups(
      folder.path(), [&] { return LocalDateTime{2026, 12, 9, 8, minute++, 0, 2}; },
      [] { return 2; });
  const QByteArray image = Image("Hall A");
  const std::span bytes(reinterpret_cast<const uint8_t*>(image.constData()),
                        static_cast<size_t>(image.size()));
  for (int read = 0; read < 3; ++read) ASSERT_TRUE(backups.Keep(4200, bytes, "<TL4200system/>"));
  ASSERT_TRUE(backups.Keep(77, bytes, "<TL4200system/>"));
  std::vector<std::string> kept;
  for (const BackupEntry& entry : ListBackups(folder.path())) kept.push_back(entry.baseName);
  EXPECT_EQ(kept, (std::vector<std::string>{"77_2026-12-09_08-03-00", "4200_2026-12-09_08-02-00",
                                            "4200_2026-12-09_08-01-00"}));
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 6);
}

}  // namespace
}  // namespace vorel
