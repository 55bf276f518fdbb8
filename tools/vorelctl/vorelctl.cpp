// vorelctl, the command-line companion of the configuration tool: the verb
// dispatcher, the usage text and the version.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "Verbs.h"

namespace vorelctl {
namespace {

struct Verb {
  std::string_view name;
  std::string_view synopsis;
  std::string_view summary;
  int (*run)(Arguments, std::ostream&, std::ostream&);
};

constexpr std::array<Verb, 16> kVerbs = {{
    {"convert", "convert INPUT OUTPUT [--clock \"YYYY-MM-DD HH:MM:SS\"] [--master-code CODE]",
     "take in a system file or a 32768-byte controller image as the tool does; write OUTPUT.xml "
     "as Save System does or OUTPUT.bin as the packed image (--clock: the PC time packing writes, "
     "default now; --master-code: pack as master mode does, with that login code, .bin only); "
     "values that do not reach the controller as written are listed on stderr",
     Convert},
    {"check", "check FILE",
     "list every value of a system file that does not reach the controller as written "
     "(exit 3 when there is one)",
     Check},
    {"diff", "diff A B",
     "compare two configurations, each a system file or a 32768-byte controller image, as the "
     "read/write window's Compare does: one line per difference, \"place: A-value -> B-value\" "
     "(\"Machine 3, pump 2 calibration: 400 ml/min -> 450 ml/min\"); values count as the "
     "controller gets them, the logs are left out (exit 3 when they differ)",
     Diff},
    {"info", "info --port DEVICE [--timeout SECONDS]",
     "wait for the controller on a serial port (default 5 s) and print its serial number, "
     "versions, data format, system name and clock",
     Info},
    {"read",
     "read (--port DEVICE | --gateway HOST[:PORT] --user NAME --system SERIAL) OUTPUT "
     "[--login-code CODE] [--timeout SECONDS]",
     "read the controller's whole memory: OUTPUT.bin gets the 32768 bytes as read, OUTPUT.xml "
     "the system file of the configuration they hold; the controller's login code is checked "
     "against CODE (default none); every read is also kept in the backup folder. The "
     "controller must answer within --timeout (default 5 s), the gateway's connection, login "
     "and the choice of exactly that system within 15 s; a system in use elsewhere is refused. "
     "Ctrl+C stops it (exit 130, nothing written)",
     Read},
    {"write",
     "write (--port DEVICE | --gateway ...) INPUT [--login-code CODE] [--master-code CODE] "
     "[--clock \"YYYY-MM-DD HH:MM:SS\"] [--verify] [--drop-texts] [--timeout SECONDS]",
     "pack a system file or image as Write packs it and write it to the controller after the "
     "login code check; done only when the controller has confirmed the closing command; "
     "--master-code: master mode, which skips the controller's login code check and packs CODE "
     "as the controller's new login code; --verify reads the written range back; texts that do "
     "not fit the controller are refused unless --drop-texts; a read-only gateway login is "
     "refused before anything is sent. Ctrl+C stops it (exit 130; the controller then holds a "
     "partly written configuration)",
     Write},
    {"monitor",
     "monitor (--port DEVICE | --gateway HOST[:PORT] --user NAME --system SERIAL) "
     "[--duration SECONDS] [--json]",
     "watch the whole laundry: one line per change of a pump, valve, alarm output or machine "
     "(\"12.300 machine 4 line 5\": seconds since the start, the signal, its value), or with "
     "--json one JSON object per status report (fields in the manual page); exit 0 when the "
     "duration ends or on Ctrl+C, 1 with the reason when the connection is lost",
     Monitor},
    {"backups", "backups [--serial N]",
     "the reads kept in the backup folder, grouped by controller and newest first, one a line: "
     "serial, system name, date and time, firmware version (or \"damaged: \" and why), size "
     "and the files' name, separated by tabs",
     Backups},
    {"flash", "flash --port DEVICE FILE --target controller|trigger",
     "program an Intel HEX firmware file into the controller's or the trigger units' boot "
     "loader, as the firmware update window does; exit 0 on \"Completed, OK.\", 1 with the "
     "state (\"Checksum error\", \"Timeout error!\") or the file's fault",
     Flash},
    {"hex", "hex FILE --target controller|trigger",
     "load an Intel HEX firmware file as the firmware update window does and print its file "
     "date, code start, code end, code used and check sum, then the blocks in the order they "
     "go to the boot loader (the first page after \"end\")",
     Hex},
    {"ports", "ports [--all]",
     "the FTDI adapters the communication window offers (free to open, sorted by number), one "
     "a line with description and serial number; --all: every serial port with its vendor and "
     "product IDs",
     Ports},
    {"systems", "systems --gateway HOST[:PORT] --user NAME",
     "log in to a gateway server (default port 14015; the password from VOREL_GATEWAY_PASSWORD, "
     "or typed without echo) and list its systems, one a line: serial, name, in-use text and "
     "address, separated by tabs",
     Systems},
    {"show", "show INPUT",
     "summary of a system file or image: name, format, controller, enabled machines, used text",
     Show},
    {"show", "show INPUT --machine N --program K",
     "program K (1..6) of machine N (1..10) as its editor shows it, columns separated by tabs",
     Show},
    {"consumption",
     "consumption INPUT [--from \"November, 2011\"] [--to \"February, 2012\"] [--machine N] "
     "[--csv]",
     "the consumption log of a system file or image as the Log data window totals it: volume "
     "per pump in litres, washes per program and the softener count for a period of months "
     "(each end defaults to the newest month) and all machines or machine N (1..10); --csv: "
     "the litres per month and pump of the period",
     Consumption},
    {"alarms", "alarms INPUT [--state]",
     "the alarm history of a system file or image, one alarm a line, or with --state the alarms "
     "active when it was read",
     Alarms},
}};

}  // namespace

void PrintUsage(std::ostream& stream) {
  stream << "Usage: vorelctl COMMAND [ARGUMENTS]\n"
            "       vorelctl --help | --version\n"
            "\n"
            "Commands:\n";
  for (const Verb& verb : kVerbs) {
    stream << "  vorelctl " << verb.synopsis << "\n      " << verb.summary << '\n';
  }
  stream << "\nOptions take their value as --name VALUE or --name=VALUE.\n"
            "Exit status: 0 done, 1 failed, 2 wrong command line, 3 (check) values change or\n"
            "(diff) the two differ.\n"
            "With --gateway the password comes from VOREL_GATEWAY_PASSWORD or is typed without "
            "echo.\n";
}

int UsageError(std::ostream& err, std::string_view message) {
  err << "vorelctl: " << message << '\n';
  PrintUsage(err);
  return kExitUsage;
}

int Run(Arguments args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return UsageError(err, "no command given");
  const std::string_view first = args.front();
  if (first == "--help" || first == "-h") {
    PrintUsage(out);
    return kExitOk;
  }
  if (first == "--version") {
    out << VOREL_VERSION_MAJOR << '.' << VOREL_VERSION_MINOR << '\n';
    return kExitOk;
  }
  const Arguments rest = args.subspan(1);
  // "vorelctl read --help": the command's own usage, whatever else is given.
  if (std::find_if(rest.begin(), rest.end(), [](std::string_view arg) {
        return arg == "--help" || arg == "-h";
      }) != rest.end()) {
    bool known = false;
    for (const Verb& verb : kVerbs) {
      if (verb.name != first) continue;
      out << (known ? "       vorelctl " : "Usage: vorelctl ") << verb.synopsis << '\n';
      known = true;
    }
    if (known) {
      for (const Verb& verb : kVerbs) {
        if (verb.name == first) out << '\n' << verb.summary << '\n';
      }
      out << "\nOptions take their value as --name VALUE or --name=VALUE. Exit status: 0 done, "
             "1 failed, 2 wrong command line.\n";
      return kExitOk;
    }
  }
  for (const Verb& verb : kVerbs) {
    if (verb.name == first) return verb.run(rest, out, err);
  }
  return UsageError(err, "unknown command '" + std::string(first) + "'");
}

}  // namespace vorelctl

int main(int argc, char** argv) {
  try {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int code = vorelctl::Run(args, std::cout, std::cerr);
    // What could not be printed (a full disk behind the output) is a failure too.
    errno = 0;
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "vorelctl: the output could not be written"
                << (errno ? std::string(": ") + std::strerror(errno) : std::string()) << '\n';
      return vorelctl::kExitFailure;
    }
    return code;
  } catch (const std::bad_alloc&) {
    std::cerr << "vorelctl: out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << "vorelctl: " << error.what() << '\n';
  }
  return vorelctl::kExitFailure;
}
