// Where windows placed relative to another go, so that they stay on the screen.
#pragma once

namespace vorel {

struct WindowPosition {
  int left = 0;
  int top = 0;
  friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

// A bottom edge below the screen height less 50 moves the window up; a right edge
// beyond the screen moves it left; a negative top or left becomes 0.
WindowPosition KeepOnScreen(WindowPosition wanted, int width, int height, int screenWidth,
                            int screenHeight);

// The program editor of slot index 0..5 beside its machine window; pulled back
// when the work area ends within 20 pixels below or 100 pixels right of it.
WindowPosition ProgramEditorPosition(int machineLeft, int machineTop, int machineWidth,
                                     int slotIndex, int workAreaWidth, int workAreaHeight);

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// A window's frame brought inside the screen's available area: a frame that reaches
// past an edge moves back, one larger than the area shrinks to it, so that every
// control and the title bar can be reached. A frame that fits stays where it is.
WindowRect FitInto(WindowRect frame, const WindowRect& area);

// `inner` centred horizontally on `outer`, its top at `top`.
int CentredLeft(int outerLeft, int outerWidth, int innerWidth);

}  // namespace vorel
