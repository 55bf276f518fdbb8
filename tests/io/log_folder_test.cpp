// Where the diagnostic log goes: beside a program run from its build folder, never
// beside an installed one, even when that folder can be written (root and /usr/bin).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "io/QtLogEnvironment.h"

namespace vorel {
namespace {

TEST(DiagnosticLogFolder, InstalledProgramLogsInTheUserFolderThoughItsFolderIsWritable) {
  QTemporaryDir programs;
  QTemporaryDir user;
  ASSERT_TRUE(QFileInfo(programs.path()).isWritable());
  EXPECT_EQ(ChooseDiagnosticLogFolder(programs.path(), user.path()), user.path());
}

TEST(DiagnosticLogFolder, BuildFolderKeepsTheLogBesideTheProgram) {
  QTemporaryDir programs;
  QTemporaryDir user;
  QFile marker(QDir(programs.path()).filePath(kBuildFolderMarker));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  EXPECT_EQ(ChooseDiagnosticLogFolder(programs.path(), user.path()), programs.path());
}

TEST(DiagnosticLogFolder, TheBuildLeavesItsMarkerBesideVorel) {
  EXPECT_TRUE(QFileInfo(VOREL_PATH).dir().exists(kBuildFolderMarker)) << VOREL_PATH;
}

}  // namespace
}  // namespace vorel
