// The copy dialog: one machine's configuration onto another or onto all others.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <functional>

namespace vorel {

class TCopyMachineForm : public QDialog {
  Q_OBJECT

 public:
  // `askUnsaved`: the main window's unsaved-edits question; false ends the copy.
  // `copy`: copies machine index `from` to `toPosition` (0..9, 10 = all) and
  // answers the status text.
  TCopyMachineForm(std::function<bool()> askUnsaved,
                   std::function<QString(int from, int toPosition)> copy,
                   QWidget* parent = nullptr);

  void CopyBtnClick();
  void CloseBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<bool()> askUnsaved_;
  std::function<QString(int, int)> copy_;
  QComboBox* fromCombo_ = nullptr;
  QComboBox* toCombo_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace vorel
