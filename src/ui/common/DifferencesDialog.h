// A compare shown to the technician: how many values differ and a table of each
// place with its two values, or one line saying the two are the same. The read/write
// window's Compare and the backups window's use it.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "core/systemfile/Compare.h"

namespace vorel {

struct DifferencesWording {
  QString title;
  QString same;         // nothing differs
  QString oneDiffers;   // one value differs
  QString manyDiffer;   // "%1 values differ ..."
  QStringList columns;  // the place, value A, value B
};

// Modal; the texts of the rows are Windows-1252.
void ShowDifferences(QWidget* parent, const std::vector<Difference>& differences,
                     const DifferencesWording& wording);

}  // namespace vorel
