// Qt message boxes and file dialogs.
#include "ui/common/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include "core/app/DiagnosticLog.h"

namespace vorel {
namespace {

constexpr int kFileDialogWidth = 820;
constexpr int kFileDialogHeight = 480;

// "Text (*.a)|*.a|Other|*.*" -> "Text (*.a);;Other (*.*)": the pattern follows
// each caption; captions without one get it appended.
QString ToQtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString& caption = parts[i];
    const QString& pattern = parts[i + 1];
    entries << (caption.contains('(') ? caption : caption + " (" + pattern + ")");
  }
  return entries.join(";;");
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilter(ToQtFilter(request.filter));
  dialog.setDefaultSuffix(request.defaultExtension);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  // Room for the size, type and date columns next to long laundry file names.
  dialog.resize(dialog.sizeHint().expandedTo(QSize(kFileDialogWidth, kFileDialogHeight)));
  if (auto* details = dialog.findChild<QTreeView*>()) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
      header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

MsgButton QtDialogs::Message(QWidget* parent, const QString& text, MsgType type, unsigned buttons,
                             unsigned defaultButton) {
  QMessageBox box(parent);
  box.setText(text);
  box.setWindowTitle(QStringLiteral("Vorel"));
  switch (type) {
    case MsgType::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgType::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgType::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgType::Confirmation:
      box.setIcon(QMessageBox::Question);
      break;
  }
  struct Pair {
    MsgButton ours;
    QMessageBox::StandardButton qt;
  };
  static constexpr Pair kPairs[] = {
      {kMsgYes, QMessageBox::Yes},     {kMsgNo, QMessageBox::No},
      {kMsgOk, QMessageBox::Ok},       {kMsgCancel, QMessageBox::Cancel},
      {kMsgAbort, QMessageBox::Abort}, {kMsgRetry, QMessageBox::Retry}};
  QMessageBox::StandardButtons set;
  for (const auto& pair : kPairs) {
    if (buttons & pair.ours) set |= pair.qt;
  }
  box.setStandardButtons(set);
  for (const auto& pair : kPairs) {
    if (defaultButton == pair.ours) box.setDefaultButton(pair.qt);
  }
  const int pressed = box.exec();
  for (const auto& pair : kPairs) {
    if (pressed == pair.qt) return pair.ours;
  }
  return (buttons & kMsgCancel) ? kMsgCancel : (buttons & kMsgNo) ? kMsgNo : kMsgOk;
}

QString QtDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

void QtDialogs::Signal(Cue cue) {
  QApplication::beep();
  if (cue != Cue::kFailure) return;
  constexpr int kFailureBeepGapMs = 250;
  QTimer::singleShot(kFailureBeepGapMs, qApp, [] { QApplication::beep(); });
  QTimer::singleShot(2 * kFailureBeepGapMs, qApp, [] { QApplication::beep(); });
}

MsgButton UiEnvironment::ShowLoggedMessage(QWidget* parent, const QString& text, MsgType type,
                                           unsigned buttons, unsigned defaultButton) {
  if (log_) log_->LogLine("MsgDialog: %s", text.toUtf8().constData());
  return dialogs_->Message(parent, text, type, buttons, defaultButton);
}

}  // namespace vorel
