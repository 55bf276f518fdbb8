// The adapters offered, from a scripted port source: FTDI only, each once, free to
// open, not hidden, sorted by number, at most 50.
#include <gtest/gtest.h>

#include <set>

#include "core/link/PortDiscovery.h"

namespace vorel {
namespace {

struct FakeSource : PortSource {
  std::vector<PortCandidate> candidates;
  std::set<std::string> busy;
  std::vector<std::string> probed;
  std::vector<PortCandidate> Candidates() override { return candidates; }
  bool Probe(const std::string& name) override {
    probed.push_back(name);
    return !busy.contains(name);
  }
};

PortCandidate Ftdi(const std::string& name, bool hidden = false) {
  return {name, "FT232R USB UART", "A12345", ports::kFtdiVendorId, 0x6001, hidden};
}

std::vector<std::string> Names(const std::vector<PortCandidate>& ports) {
  std::vector<std::string> names;
  for (const PortCandidate& port : ports) names.push_back(port.name);
  return names;
}

TEST(PortDiscovery, AdaptersOffered) {
  const PortCandidate other{"COM1", "Communications Port", "", std::nullopt, std::nullopt, false};
  const PortCandidate prolific{"COM5", "USB-Serial", "", 0x067B, 0x2303, false};
  const struct {
    const char* name;
    std::vector<PortCandidate> candidates;
    std::set<std::string> busy;
    std::vector<std::string> offered;
  } cases[] = {
      {"no FTDI adapter", {other, prolific}, {}, {}},
      {"sorted by number",
       {Ftdi("COM12"), Ftdi("COM3"), other, Ftdi("COM4")},
       {},
       {"COM3", "COM4", "COM12"}},
      {"device paths",
       {Ftdi("/dev/ttyUSB10"), Ftdi("/dev/ttyUSB1"), Ftdi("/dev/ttyUSB0")},
       {},
       {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB10"}},
      {"the same port twice", {Ftdi("COM7"), Ftdi("COM7")}, {}, {"COM7"}},
      {"hidden and busy left out",
       {Ftdi("COM3", true), Ftdi("COM4"), Ftdi("COM6")},
       {"COM4"},
       {"COM6"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSource source;
    source.candidates = c.candidates;
    source.busy = c.busy;
    EXPECT_EQ(Names(FindAdapters(source)), c.offered);
  }
  FakeSource many;
  for (int i = 1; i <= 60; ++i) many.candidates.push_back(Ftdi("COM" + std::to_string(i)));
  EXPECT_EQ(FindAdapters(many).size(), ports::kMaxPorts);
  EXPECT_EQ(PortNumber("COM12"), 12);
  EXPECT_EQ(PortNumber("/dev/ttyUSB"), -1);
}

// The window's list while it is shown: the port this program holds (busy to a probe,
// since it is open) stays listed, a rescan opens nothing, an adapter that another
// program holds stays out until it is unplugged or a search finds it free.
TEST(PortDiscovery, SearchAndRescanKeepThePortInUse) {
  FakeSource source;
  source.candidates = {Ftdi("/dev/ttyUSB0"), Ftdi("/dev/ttyUSB1"), Ftdi("/dev/ttyUSB2")};
  source.busy = {"/dev/ttyUSB0", "/dev/ttyUSB1"};  // ours, and another program's
  PortFinder finder;
  const std::string held = "ttyUSB0";  // as typed into the list

  EXPECT_EQ(Names(finder.Search(source, held)),
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB2"}));
  EXPECT_EQ(source.probed, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyUSB2"}));
  source.probed.clear();
  EXPECT_EQ(Names(finder.Rescan(source, held)),
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB2"}));
  EXPECT_TRUE(source.probed.empty());

  // The other program lets go: it takes a search (or a new plug) to offer it again.
  source.busy = {"/dev/ttyUSB0"};
  EXPECT_EQ(Names(finder.Rescan(source, held)).size(), 2u);
  source.candidates.erase(source.candidates.begin() + 1);
  finder.Rescan(source, held);
  source.candidates.push_back(Ftdi("/dev/ttyUSB1"));
  EXPECT_EQ(Names(finder.Rescan(source, held)),
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2"}));
  EXPECT_TRUE(source.probed.empty());

  // A port the system does not report (a pseudo-terminal) is listed while held.
  EXPECT_EQ(Names(finder.Rescan(source, "/dev/pts/4")).back(), "/dev/pts/4");
  EXPECT_EQ(Names(finder.Search(source, "")).size(), 2u) << "nothing held: ours is busy";
}

}  // namespace
}  // namespace vorel
