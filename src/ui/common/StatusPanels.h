// The status bars of the tool's windows: sunken panels named StatusPanel0, 1, ...
// of the given widths, the last one taking what is left.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

namespace vorel {

template <size_t N>
QStatusBar* MakeStatusPanels(QWidget* parent, const std::array<int, N>& widths,
                             std::array<QLabel*, N>& panels) {
  auto* bar = new QStatusBar(parent);
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  for (size_t i = 0; i < N; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setMinimumWidth(widths[i]);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(panel, i + 1 == N ? 1 : 0);
    panels[i] = panel;
  }
  return bar;
}

}  // namespace vorel
