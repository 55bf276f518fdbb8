// The backups window's listing of a folder of 5000 kept reads (image and system file
// each, 50 controllers): the time to list and sort them all, as the lister thread
// does, and when the first batch is ready to show.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "BenchSupport.h"
#include "core/image/ImagePacking.h"
#include "io/BackupLibrary.h"
#include "io/ReadBackupFolder.h"

int main(int argc, char** argv) {
  using namespace vorel;
  using Clock = std::chrono::steady_clock;
  QCoreApplication application(argc, argv);
  constexpr int kReads = 5000;
  QTemporaryDir folder;
  SystemConfiguration busy = bench::FullSystem();
  ImageState packed;
  PackImage(busy, packed, {2026, 12, 9, 6, 0, 0, 2});
  const QByteArray image(reinterpret_cast<const char*>(packed.image.bytes.data()),
                         static_cast<qsizetype>(packed.image.bytes.size()));
  const QByteArray systemFile(4096, 'x');
  for (int read = 0; read < kReads; ++read) {
    const QString base = QString::fromStdString(BackupBaseName(
        {static_cast<uint32_t>(4200 + read % 50),
         {2026, 1 + read % 12, 1 + read % 28, read % 24, read % 60, (read / 60) % 60, 0},
         1}));
    for (const auto& [extension, bytes] : {std::pair{".bin", &image}, {".xml", &systemFile}}) {
      QFile file(QDir(folder.path()).filePath(base + QString::fromLatin1(extension)));
      if (!file.open(QIODevice::WriteOnly)) return 1;
      file.write(*bytes);
    }
  }

  double firstBatchMs = 0;
  size_t listed = 0;
  const double median = bench::MedianMicroseconds(5, [&] {
    const auto start = Clock::now();
    bool first = true;
    listed = ListBackups(folder.path(), [&](std::vector<BackupEntry>) {
               if (!first) return;
               first = false;
               firstBatchMs =
                   std::chrono::duration<double, std::milli>(Clock::now() - start).count();
             }).size();
  });
  std::printf(
      "%zu backups listed and sorted in %.0f ms (median of 5); the first batch after %.0f ms\n",
      listed, median / 1000.0, firstBatchMs);
  return listed == static_cast<size_t>(kReads) ? 0 : 1;
}
