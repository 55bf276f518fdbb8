// The read backups' names, what an image's head says of its read, their order and the
// keep-the-newest rule.
#include <gtest/gtest.h>

#include "core/image/BackupCatalog.h"

namespace vorel {
namespace {

TEST(BackupCatalog, NamesOfReadsAndOfAnythingElse) {
  const auto four = ParseBackupName("4200_2026-12-08_09-15-02");
  ASSERT_TRUE(four);
  EXPECT_EQ(four->serial, 4200u);
  EXPECT_EQ(four->at.year, 2026);
  EXPECT_EQ(four->at.month, 12);
  EXPECT_EQ(four->at.second, 2);
  EXPECT_EQ(four->number, 1);
  EXPECT_EQ(ParseBackupName("4200_2026-12-08_09-15-02_3")->number, 3);
  EXPECT_EQ(ParseBackupName("4294967295_2026-12-08_09-15-02")->serial, 4294967295u);
  for (const char* other :
       {"", "notes", "4200", "4200_2026-12-08", "_2026-12-08_09-15-02", "4200_2026-13-08_09-15-02",
        "4200_2026-12-08_24-00-00", "4200_2026-12-08_09-15-02_1", "4200_2026-12-08_09-15-02_x",
        "4294967296_2026-12-08_09-15-02", "42a0_2026-12-08_09-15-02",
        "4200_2026-12-08_09-15-02.bin"}) {
    EXPECT_FALSE(ParseBackupName(other)) << other;
  }
}

TEST(BackupCatalog, WhatTheImagesHeadSays) {
  const BackupName name = *ParseBackupName("7_2026-01-02_03-04-05");
  ControllerImage image;
  SystemConfiguration config;
  config.MainSetup.SystemName = "Hall A";
  ImageState state;
  PackImage(config, state, {2026, 1, 2, 3, 4, 5, 4});
  image = state.image;
  image.bytes[image::kFirmwareMajor] = 3;
  image.bytes[image::kFirmwareMinor] = 5;

  const BackupEntry good =
      DescribeBackup(name, "7_2026-01-02_03-04-05", image.bytes, image::kSize, true);
  EXPECT_EQ(good.damaged, "");
  EXPECT_EQ(good.systemName, "Hall A");
  EXPECT_EQ(good.firmwareMajor, 3);
  EXPECT_EQ(good.firmwareMinor, 5);

  EXPECT_EQ(DescribeBackup(name, "x", image.bytes, 100, true).damaged,
            "not a memory image (100 bytes)");
  EXPECT_EQ(DescribeBackup(name, "x", std::span(image.bytes).first(10), image::kSize, true).damaged,
            "cut short");
  ControllerImage foreign = image;
  foreign.bytes[0] ^= 0xFF;
  EXPECT_EQ(DescribeBackup(name, "x", foreign.bytes, image::kSize, true)
                .damaged.rfind("Bad data format", 0),
            0u);
}

BackupEntry Entry(const char* name) {
  BackupEntry entry;
  entry.baseName = name;
  entry.name = *ParseBackupName(name);
  return entry;
}

TEST(BackupCatalog, NewestFirstPerControllerAndKeepingTheNewest) {
  std::vector<BackupEntry> entries = {
      Entry("9_2026-01-01_00-00-00"),  Entry("12_2026-03-01_00-00-00"),
      Entry("9_2026-02-01_00-00-00"),  Entry("9_2026-02-01_00-00-00_2"),
      Entry("12_2025-12-31_23-59-59"), Entry("9_2025-06-01_00-00-00")};
  SortBackups(entries);
  std::vector<std::string> order;
  for (const BackupEntry& entry : entries) order.push_back(entry.baseName);
  EXPECT_EQ(order, (std::vector<std::string>{"9_2026-02-01_00-00-00_2", "9_2026-02-01_00-00-00",
                                             "9_2026-01-01_00-00-00", "9_2025-06-01_00-00-00",
                                             "12_2026-03-01_00-00-00", "12_2025-12-31_23-59-59"}));
  std::vector<std::string> beyond;
  for (const BackupEntry& entry : BackupsBeyond(entries, 2)) beyond.push_back(entry.baseName);
  EXPECT_EQ(beyond, (std::vector<std::string>{"9_2026-01-01_00-00-00", "9_2025-06-01_00-00-00"}));
  EXPECT_TRUE(BackupsBeyond(entries, 0).empty()) << "0 keeps all";
  EXPECT_TRUE(BackupsBeyond(entries, 4).empty());
}

}  // namespace
}  // namespace vorel
