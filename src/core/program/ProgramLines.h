// Program lines as the technician reads them (the grid of the program editor and the
// printed listing), and inserting and deleting lines in a program.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/config/InstructionSet.h"
#include "core/config/ProgramRecord.h"

namespace vorel {

// Grid columns 1 and 2 of one line.
struct LineText {
  std::string instruction;  // " Pump"; "%d ???" for a code the controller does not know
  std::string parameters;   // "P3, D=5, FS, V=10/20/30"
};

LineText RenderLine(const ProgramLine& programLine);

// One grid row: the line number as "%3d", the instruction, the parameters, the comment.
inline constexpr int kGridColumns = 4;
using GridRow = std::array<std::string, kGridColumns>;

// lineIndex 0..23.
GridRow RenderGridRow(const ProgramRecord& program, int lineIndex);

// The row's four columns joined by one tab each, as the listing prints them.
std::string JoinGridRow(const GridRow& row);

// "Machine %d, " followed by the program name; machineNumber 1..10.
std::string ProgramEditorCaption(int machineNumber, std::string_view programName);

// Inserts an Empty line with an empty comment at lineIndex 0..23; the lines from there
// on move down one and the last line's content is lost. Every input or Jump target in
// the program that names the inserted position or a later line follows its line (a
// target of 24 stays 24). The high nibble of b0 and b6..b7 stay with the position.
// False, and nothing changed, when lineIndex is not a line.
bool InsertLine(ProgramRecord& program, int lineIndex);

// Deletes the line at lineIndex 0..23; the lines after it move up one and line 24
// becomes Empty with an empty comment. Every input or Jump target in the program that
// names a later line follows its line; a target of the deleted line then names the line
// that took its place. The high nibble of b0 and b6..b7 stay with the position.
// False, and nothing changed, when lineIndex is not a line.
bool DeleteLine(ProgramRecord& program, int lineIndex);

}  // namespace vorel
