#include "ui/common/DifferencesDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "io/AnsiQt.h"

namespace vorel {

namespace {
constexpr int kCompareWidth = 720;
constexpr int kCompareColumnMax = 320;
}  // namespace

void ShowDifferences(QWidget* parent, const std::vector<Difference>& differences,
                     const DifferencesWording& wording) {
  QDialog dialog(parent);
  dialog.setObjectName("CompareDialog");
  dialog.setWindowTitle(wording.title);
  auto* layout = new QVBoxLayout(&dialog);
  if (differences.empty()) {
    auto* same = new QLabel(wording.same, &dialog);
    same->setObjectName("CompareSameLabel");
    layout->addWidget(same);
  } else {
    auto* summary = new QLabel(
        differences.size() == 1 ? wording.oneDiffers : wording.manyDiffer.arg(differences.size()),
        &dialog);
    summary->setObjectName("CompareSummaryLabel");
    layout->addWidget(summary);
    auto* table = new QTableWidget(static_cast<int>(differences.size()), 3, &dialog);
    table->setObjectName("CompareTable");
    table->setHorizontalHeaderLabels(wording.columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    for (int row = 0; row < table->rowCount(); ++row) {
      const Difference& difference = differences[static_cast<size_t>(row)];
      const std::array<const std::string*, 3> cells = {&difference.place, &difference.a,
                                                       &difference.b};
      for (int column = 0; column < 3; ++column) {
        auto* item = new QTableWidgetItem(Ansi::toQString(*cells[static_cast<size_t>(column)]));
        item->setToolTip(item->text());
        table->setItem(row, column, item);
      }
    }
    // Long places and program lines are cut at a column width; the tooltip holds them whole.
    table->resizeColumnsToContents();
    for (int column = 0; column < 3; ++column)
      table->setColumnWidth(column, std::min(table->columnWidth(column), kCompareColumnMax));
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumWidth(kCompareWidth);
    // As tall as the rows need; the dialog keeps within the screen and the table scrolls.
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    layout->addWidget(table, 1);
  }
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(close, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(close);
  dialog.exec();
}

}  // namespace vorel
