// Saving survives the program dying mid-save: a child process saves a system file
// over and over (and keeps read backups), and is killed at a random moment, many
// times. Afterwards the system file is always the whole old file or the whole new
// one, and every backup file there is is whole.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <random>

#include "io/FileAccess.h"
#include "io/ReadBackupFolder.h"

namespace vorel {
namespace {

std::string g_self;  // this program, started again as the child

// VOREL_SAVE_KILLS sets fewer for the slower sanitizer build.
int Kills() {
  const int set = qEnvironmentVariableIntValue("VOREL_SAVE_KILLS");
  return set > 0 ? set : 1000;
}

// Two versions of a technician's system file: different in length and content.
std::string Version(int which) {
  const Loaded<std::string> example =
      ReadWholeFile(QStringLiteral(VOREL_TEST_DATA "/golden_small.xml"), 10 * 1024 * 1024);
  std::string text = example.value.value_or("<System/>");
  if (which == 1) {
    text += std::string(50000, ' ');
    text += "<!-- the new version -->\n";
  }
  return text;
}

std::vector<uint8_t> BackupImage() {
  std::vector<uint8_t> image(32768);
  for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 31 + 7);
  return image;
}

// The child tells the test it is about to save.
void Started() {
  std::puts("saving");
  std::fflush(stdout);
}

// The child: saves the two versions in turn until it is killed.
int SaveForever(const QString& target) {
  const std::string versions[2] = {Version(0), Version(1)};
  Started();
  for (int i = 1;; ++i)
    if (!WriteFileReplacing(target, versions[i % 2])) return 3;
}

// The child: keeps read backups until it is killed.
int KeepBackupsForever(const QString& folder) {
  const std::vector<uint8_t> image = BackupImage();
  const std::string systemFile = Version(0);
  ReadBackupFolder backups(folder, [] { return LocalDateTime{2026, 12, 8, 9, 30, 0, 1}; });
  Started();
  for (;;)
    if (!backups.Keep(4200, image, systemFile)) return 3;
}

struct Tally {
  int kills = 0, old = 0, fresh = 0, other = 0;
};

// Starts the child in `mode` and kills it at a random moment within its saving,
// `kills` times; `check` looks at what is left after each kill.
template <typename Check>
void KillRepeatedly(const char* mode, const QString& where, int kills, Check check) {
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> wait(0, 3000);  // microseconds: a few saves
  for (int k = 0; k < kills; ++k) {
    QProcess child;
    child.start(QString::fromStdString(g_self), {QString::fromLatin1(mode), where});
    ASSERT_TRUE(child.waitForReadyRead(10000));
    // A random time lands at a random point of its save loop.
    QThread::usleep(static_cast<unsigned long>(wait(random)));
    child.kill();  // SIGKILL: no clean-up runs
    child.waitForFinished();
    check();
  }
}

TEST(SavingKilled, SystemFileIsAlwaysTheWholeOldOrNew) {
  QTemporaryDir folder;
  const QString target = folder.filePath(QStringLiteral("laundry.xml"));
  const std::string versions[2] = {Version(0), Version(1)};
  ASSERT_TRUE(WriteFileReplacing(target, versions[0]));
  Tally tally;
  KillRepeatedly("--save-forever", target, Kills(), [&] {
    ++tally.kills;
    const Loaded<std::string> now = ReadWholeFile(target, 10 * 1024 * 1024);
    if (now.value == versions[0])
      ++tally.old;
    else if (now.value == versions[1])
      ++tally.fresh;
    else
      ++tally.other;
  });
  const int leftovers = int(QDir(folder.path()).entryList(QDir::Files).size()) - 1;
  std::printf("system file: %d kills, old %d, new %d, other %d; %d temporary files left\n",
              tally.kills, tally.old, tally.fresh, tally.other, leftovers);
  EXPECT_EQ(tally.other, 0);
  EXPECT_GT(tally.old, 0);
  EXPECT_GT(tally.fresh, 0);
}

TEST(SavingKilled, EveryBackupFileThereIsWhole) {
  QTemporaryDir folder;
  const std::vector<uint8_t> image = BackupImage();
  const std::string imageBytes(image.begin(), image.end());
  const std::string systemFile = Version(0);
  Tally tally;
  int files = 0;
  KillRepeatedly("--keep-forever", folder.path(), Kills() / 4, [&] {
    ++tally.kills;
    // Whole files only; the rest of the folder is the save's own temporary files.
    for (const QString& name : QDir(folder.path()).entryList({"4200_*.bin", "4200_*.xml"})) {
      ++files;
      const Loaded<std::string> got = ReadWholeFile(folder.filePath(name), 1024 * 1024);
      const std::string& want = name.endsWith(".bin") ? imageBytes : systemFile;
      if (got.value == want)
        ++tally.fresh;
      else
        ++tally.other;
      QFile::remove(folder.filePath(name));  // the next round starts from few files
    }
  });
  std::printf("backups: %d kills, %d whole files, %d other\n", tally.kills, tally.fresh,
              tally.other);
  EXPECT_EQ(tally.other, 0);
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace vorel

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--save-forever")
    return vorel::SaveForever(QString::fromLocal8Bit(argv[2]));
  if (argc == 3 && std::string(argv[1]) == "--keep-forever")
    return vorel::KeepBackupsForever(QString::fromLocal8Bit(argv[2]));
  vorel::g_self = QCoreApplication::applicationFilePath().toStdString();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
