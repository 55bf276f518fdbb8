// The commands of vorelctl: each verb is one function taking the arguments after
// its name and returning the process exit code.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace vorelctl {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// check: the file loads, but some of its values do not reach the controller as written;
// diff: the two configurations differ.
inline constexpr int kExitChanges = 3;

using Arguments = std::span<const std::string_view>;

// The whole command line after the program name.
int Run(Arguments args, std::ostream& out, std::ostream& err);

void PrintUsage(std::ostream& stream);

// Prints "vorelctl: <message>" and the usage on `err`; returns kExitUsage.
int UsageError(std::ostream& err, std::string_view message);

// vorelctl convert INPUT OUTPUT [--clock "YYYY-MM-DD HH:MM:SS"] [--master-code CODE]
int Convert(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl show INPUT [--machine N --program K]
int Show(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl consumption INPUT [--from MONTH] [--to MONTH] [--machine N] [--csv]
int Consumption(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl alarms INPUT [--state]
int Alarms(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl check FILE
int Check(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl diff A B
int Diff(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl info --port DEVICE [--timeout SECONDS]
int Info(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl read (--port DEVICE | --gateway HOST[:PORT] --user NAME --system SERIAL) OUTPUT
//   [--login-code CODE]
int Read(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl write (--port DEVICE | --gateway ...) INPUT [--login-code CODE]
//   [--master-code CODE] [--clock "YYYY-MM-DD HH:MM:SS"] [--verify] [--drop-texts]
int Write(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl flash --port DEVICE FILE --target controller|trigger
int Flash(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl hex FILE --target controller|trigger
int Hex(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl monitor (--port DEVICE | --gateway HOST[:PORT] --user NAME --system SERIAL)
//   [--duration SECONDS] [--json]
int Monitor(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl backups [--serial N]
int Backups(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl ports [--all]
int Ports(Arguments args, std::ostream& out, std::ostream& err);

// vorelctl systems --gateway HOST[:PORT] --user NAME
int Systems(Arguments args, std::ostream& out, std::ostream& err);

}  // namespace vorelctl
