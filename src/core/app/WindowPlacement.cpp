// Window placement rules.
#include "core/app/WindowPlacement.h"

#include <algorithm>

namespace vorel {

namespace {
constexpr int kBottomMargin = 50;
constexpr int kEditorStep = 15;
constexpr int kEditorMinVisibleHeight = 20;
constexpr int kEditorMinVisibleWidth = 100;
}  // namespace

WindowPosition KeepOnScreen(WindowPosition p, int width, int height, int screenWidth,
                            int screenHeight) {
  if (p.top + height > screenHeight - kBottomMargin) p.top = screenHeight - height - kBottomMargin;
  if (p.top < 0) p.top = 0;
  if (p.left + width > screenWidth) p.left = screenWidth - width;
  if (p.left < 0) p.left = 0;
  return p;
}

WindowPosition ProgramEditorPosition(int machineLeft, int machineTop, int machineWidth,
                                     int slotIndex, int workAreaWidth, int workAreaHeight) {
  WindowPosition p{machineLeft + machineWidth + kEditorStep * slotIndex,
                   machineTop + kEditorStep * slotIndex};
  if (workAreaHeight < p.top + kEditorMinVisibleHeight)
    p.top = workAreaHeight - kEditorMinVisibleHeight;
  if (workAreaWidth < p.left + kEditorMinVisibleWidth)
    p.left = workAreaWidth - kEditorMinVisibleWidth;
  return p;
}

WindowRect FitInto(WindowRect frame, const WindowRect& area) {
  const auto fit = [](int& start, int& size, int areaStart, int areaSize) {
    size = std::min(size, areaSize);
    start = std::clamp(start, areaStart, areaStart + areaSize - size);
  };
  fit(frame.left, frame.width, area.left, area.width);
  fit(frame.top, frame.height, area.top, area.height);
  return frame;
}

int CentredLeft(int outerLeft, int outerWidth, int innerWidth) {
  return outerLeft + (outerWidth - innerWidth) / 2;
}

}  // namespace vorel
