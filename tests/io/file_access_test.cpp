// Whole-file reading and replace-by-rename writing with readable reasons, and the
// clock text vorelctl takes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "io/FileAccess.h"

namespace vorel {
namespace {

TEST(ParseLocalDateTime, RealDatesOnly) {
  struct Case {
    const char* text;
    std::optional<LocalDateTime> want;
  };
  const Case cases[] = {
      {"2026-12-08 09:30:05", LocalDateTime{2026, 12, 8, 9, 30, 5, 1}},  // a Tuesday
      {"2024-02-29 23:59:59", LocalDateTime{2024, 2, 29, 23, 59, 59, 3}},
      {"2000-01-01 00:00:00", LocalDateTime{2000, 1, 1, 0, 0, 0, 5}},
      // A time the local zone may skip for summer time is still a time.
      {"2026-03-29 02:30:00", LocalDateTime{2026, 3, 29, 2, 30, 0, 6}},
      {"2025-02-29 00:00:00", std::nullopt},
      {"2026-13-01 00:00:00", std::nullopt},
      {"2026-12-08 24:00:00", std::nullopt},
      {"2026-12-08 09:60:00", std::nullopt},
      {"2026-12-08T09:30:05", std::nullopt},
      {"2026-12-8 09:30:05", std::nullopt},
      {" 2026-12-08 09:30:05", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto got = ParseLocalDateTime(c.text);
    ASSERT_EQ(got.has_value(), c.want.has_value());
    if (!got) continue;
    EXPECT_EQ(got->year, c.want->year);
    EXPECT_EQ(got->month, c.want->month);
    EXPECT_EQ(got->day, c.want->day);
    EXPECT_EQ(got->hour, c.want->hour);
    EXPECT_EQ(got->minute, c.want->minute);
    EXPECT_EQ(got->second, c.want->second);
    EXPECT_EQ(got->weekday, c.want->weekday);
  }
}

TEST(FileAccess, ReadsAndReplacesWholeFilesOrSaysWhy) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString target = folder.filePath("system.xml");

  EXPECT_EQ(ReadWholeFile(target, 1024).why, "no such file");
  EXPECT_EQ(ReadWholeFile(folder.path(), 1024).why, "is a folder, not a file");

  ASSERT_TRUE(WriteFileReplacing(target, std::string("first\0bytes", 11)));
  EXPECT_EQ(ReadWholeFile(target, 1024).value, std::string("first\0bytes", 11));
  ASSERT_TRUE(WriteFileReplacing(target, "second"));
  EXPECT_EQ(ReadWholeFile(target, 1024).value, "second");

  // Refused writes leave the earlier file and no temporary file behind.
  EXPECT_EQ(WriteFileReplacing(folder.path(), "x").reason, "is a folder, not a file");
  const auto missing = WriteFileReplacing(folder.filePath("none/out.xml"), "x");
  ASSERT_FALSE(missing);
  EXPECT_TRUE(missing.reason.starts_with("the folder ")) << missing.reason;
  EXPECT_TRUE(missing.reason.ends_with(" does not exist")) << missing.reason;
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"system.xml"});
  EXPECT_EQ(ReadWholeFile(target, 1024).value, "second");

  // The replaced file keeps its permissions; a link stays a link to the new file; a
  // read-only file is refused.
  ASSERT_TRUE(
      QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  ASSERT_TRUE(WriteFileReplacing(target, "third"));
  constexpr QFile::Permissions kOwnerGroupOther(0x7077);
  EXPECT_EQ(QFileInfo(target).permissions() & kOwnerGroupOther,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  const QString link = folder.filePath("link.xml");
  ASSERT_TRUE(QFile::link(target, link));
  ASSERT_TRUE(WriteFileReplacing(link, "fourth"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadWholeFile(target, 1024).value, "fourth");
  ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
  EXPECT_EQ(WriteFileReplacing(target, "fifth").reason, "is read-only");
  EXPECT_EQ(ReadWholeFile(target, 1024).value, "fourth");
  ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
  ASSERT_TRUE(WriteFileReplacing(target, "second"));

  // Size and kind are looked at before anything is read.
  EXPECT_EQ(ReadWholeFile(target, 6).value, "second");
  EXPECT_EQ(ReadWholeFile(target, 5).why, "is larger than 0 MiB, too large to be a system file");
  EXPECT_EQ(ReadWholeFile("/dev/zero", 1024).why, "is not a regular file");
}

}  // namespace
}  // namespace vorel
