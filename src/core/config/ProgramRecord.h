// A dispensing program: name, comment, three flags, a default level and 24
// lines of 8 bytes each, as the controller runs them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vorel {

inline constexpr int kProgramSlots = 6;
inline constexpr int kProgramLineCount = 24;
inline constexpr int kProgramLineSize = 8;

// The low four bits of b0 are the instruction code; b1..b5 its parameters. The
// high four bits of b0 and b6..b7 belong to the line position, not to the
// instruction (in the controller image b6..b7 carry the comment's text reference).
struct ProgramLine {
  std::array<uint8_t, kProgramLineSize> b{};

  uint8_t Code() const { return b[0] & 0x0F; }
  void SetCode(uint8_t code) { b[0] = static_cast<uint8_t>((b[0] & 0xF0) | (code & 0x0F)); }

  friend bool operator==(const ProgramLine&, const ProgramLine&) = default;
};

struct ProgramRecord {
  std::string Name;
  std::string Comment;
  bool Active = false;
  bool Softner = true;
  bool DefaultSoftner = true;
  int DefaultLevel = 2;  // 0 "-", 1 "Low", 2 "Mid", 3 "High"
  std::array<ProgramLine, kProgramLineCount> Lines{};
  std::array<std::string, kProgramLineCount> LineComments;

  friend bool operator==(const ProgramRecord&, const ProgramRecord&) = default;
};

// "Program %d" for slot numbers 1..6.
std::string DefaultProgramName(int slotNumber);

// The cleared slot: default name, no comment, Active off, both softener flags on,
// level Mid, every line Empty with an empty comment.
ProgramRecord ClearedProgram(int slotNumber);

}  // namespace vorel
