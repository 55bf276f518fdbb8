// The backups of completed reads: a read is kept whole, as its image and its system
// file, or not at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

#include "io/ReadBackupFolder.h"

namespace vorel {
namespace {

TEST(ReadBackupFolder, KeepsBothFilesOrNeither) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ReadBackupFolder backups(folder.path(), [] { return LocalDateTime{2026, 12, 9, 8, 0, 0, 0}; });
  const std::vector<uint8_t> image(32768, 0x5A);

  const ReadBackup::Kept kept = backups.Keep(4711, image, "<TL4200system/>");
  ASSERT_TRUE(kept) << kept.why;
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);

  // The system file's name leads where nothing can be written (a link to a folder
  // that does not exist): its image must not stay behind alone.
  QTemporaryDir second;
  const QString base = second.filePath("4711_2026-12-09_08-00-00");
  ASSERT_EQ(symlink("/nonexistent-folder/kept.xml", (base + ".xml").toLocal8Bit().constData()), 0);
  ReadBackupFolder failing(second.path(), [] { return LocalDateTime{2026, 12, 9, 8, 0, 0, 0}; });
  const ReadBackup::Kept refused = failing.Keep(4711, image, "<TL4200system/>");
  EXPECT_FALSE(refused);
  EXPECT_FALSE(QFile::exists(base + ".bin")) << "the image went with its system file";
}

}  // namespace
}  // namespace vorel
