// The communication error window: how many frames arrived damaged (bus conflicts).
#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>

namespace vorel {

class TCommunicationErrorForm : public QDialog {
  Q_OBJECT

 public:
  // `reset`: closing the window sets the counts back to 0.
  TCommunicationErrorForm(std::function<void()> reset, QWidget* parent = nullptr);
  void ShowCounts(uint32_t retries, uint32_t checksumErrors);
  // Close, the title bar and Escape alike: the counts start again.
  void done(int result) override;

 private:
  std::function<void()> reset_;
  QLabel* retryLabel_ = nullptr;
  QLabel* checksumLabel_ = nullptr;
};

}  // namespace vorel
