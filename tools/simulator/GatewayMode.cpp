// The gateway mode of vorel-sim: the users and systems files, and the TCP server
// that hands each client's bytes to a simulated connection of its own.
#include "GatewayMode.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QCoreApplication>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <span>
#include <string_view>
#include <vector>

#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/simulation/GatewaySimulator.h"
#include "io/FileAccess.h"

namespace vorelsim {
namespace {

using vorel::sim::GatewayConnection;
using vorel::sim::GatewayWorld;

constexpr int64_t kTableFileLimit = 1 << 20;  // users and systems files are short
constexpr int kStopCheckMs = 50;
constexpr int kLaundryTickMs = 100;  // how often the sites' laundries move on
constexpr size_t kUserFields = 3;
constexpr size_t kSystemFields = 4;
constexpr size_t kSerialDigits = 10;  // the controller keeps a 32-bit serial number
constexpr std::string_view kDefaultUser = "service";
constexpr std::string_view kDefaultSystemName = "Demo laundry";
constexpr std::string_view kDefaultSystemAddress = "127.0.0.1";
enum SystemField { kSerial, kName, kInUse, kAddress };

// One line of a users or systems file that holds fields, its texts in Windows-1252.
struct Row {
  std::string where;  // "FILE:LINE"
  std::vector<std::string> fields;
};

// Every line but blank ones and those starting with #, split at its tabs into
// exactly `fieldCount` fields. The reason when the file cannot be read or a line
// does not fit.
vorel::Outcome ReadRows(const std::string& path, size_t fieldCount, std::vector<Row>& rows) {
  const vorel::Loaded<std::string> file =
      vorel::ReadWholeFile(QString::fromStdString(path), kTableFileLimit);
  if (!file) return vorel::Outcome::Failed(path + ": " + file.why);
  std::string_view rest = *file;
  for (size_t number = 1; !rest.empty(); ++number) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (vorel::TrimBlanks(line).empty() || line.front() == '#') continue;
    Row row{path + ":" + std::to_string(number), {}};
    for (size_t start = 0;;) {
      const size_t tab = line.find('\t', start);
      row.fields.emplace_back(line.substr(start, tab - start));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    if (row.fields.size() != fieldCount) {
      return vorel::Outcome::Failed(row.where + ": " + std::to_string(fieldCount) +
                                    " fields separated by tabs expected, " +
                                    std::to_string(row.fields.size()) + " found");
    }
    for (std::string& field : row.fields) {
      bool lost = false;
      std::string text = vorel::Ansi::FromUtf8(field, &lost);
      if (lost || text.find('\0') != std::string::npos)
        return vorel::Outcome::Failed(row.where + ": \"" + field +
                                      "\" is not UTF-8 text of Windows-1252 characters");
      field = std::move(text);
    }
    rows.push_back(std::move(row));
  }
  return vorel::Outcome::Done();
}

vorel::Outcome ReadUsers(const std::string& path, GatewayWorld& world) {
  std::vector<Row> rows;
  if (vorel::Outcome read = ReadRows(path, kUserFields, rows); !read) return read;
  std::set<std::string> names;
  for (Row& row : rows) {
    const std::string& name = row.fields[0];
    const std::string& access = row.fields[2];
    if (name.empty()) return vorel::Outcome::Failed(row.where + ": the user name is empty");
    if (!names.insert(name).second)
      return vorel::Outcome::Failed(row.where + ": user " + name + " is there twice");
    if (access != vorel::sim::kFullAccess && access != vorel::sim::kReadOnlyAccess)
      return vorel::Outcome::Failed(
          row.where + ": the access is A (full) or B (read only), not \"" + access + "\"");
    world.AddUser({name, row.fields[1], access});
  }
  return vorel::Outcome::Done();
}

// The serial number a serial text names: decimal digits only, within 32 bits.
std::optional<uint32_t> SerialNumber(std::string_view serial) {
  if (serial.empty() || serial.size() > kSerialDigits ||
      !std::all_of(serial.begin(), serial.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const uint64_t value = std::stoull(std::string(serial));
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// The name stored in the controller's memory, up to its zero.
std::string SystemName(const vorel::ControllerImage& memory) {
  const auto start = memory.bytes.begin() + vorel::image::kSystemName;
  return std::string(start, std::find(start, start + vorel::image::kSystemNameSize, uint8_t{0}));
}

struct SystemRecipe {
  vorel::GatewaySystem listing;
  uint32_t serialNumber = 0;
};

vorel::Outcome ReadSystems(const std::string& path, std::vector<SystemRecipe>& systems) {
  using vorel::gateway::kEntryLimits;
  std::vector<Row> rows;
  if (vorel::Outcome read = ReadRows(path, kSystemFields, rows); !read) return read;
  std::set<std::string> serials;
  for (Row& row : rows) {
    const std::vector<std::string>& f = row.fields;
    const std::optional<uint32_t> number = SerialNumber(f[kSerial]);
    if (!number)
      return vorel::Outcome::Failed(
          row.where + ": the serial is a number of 1 to 10 digits within 32 bits, not \"" +
          f[kSerial] + "\"");
    if (!serials.insert(f[kSerial]).second)
      return vorel::Outcome::Failed(row.where + ": serial " + f[kSerial] + " is there twice");
    if (f[kName].size() > kEntryLimits[kName])
      return vorel::Outcome::Failed(row.where + ": the name is longer than " +
                                    std::to_string(kEntryLimits[kName]));
    if (f[kInUse].empty() || f[kInUse].size() > kEntryLimits[kInUse])
      return vorel::Outcome::Failed(row.where +
                                    ": the in-use text (\"-\" when free) is empty or longer than " +
                                    std::to_string(kEntryLimits[kInUse]));
    if (f[kAddress].empty() || f[kAddress].size() > kEntryLimits[kAddress])
      return vorel::Outcome::Failed(
          row.where + ": the address (an IP address or Offline) is empty or longer than " +
          std::to_string(kEntryLimits[kAddress]));
    systems.push_back({{f[kSerial], f[kName], f[kInUse], f[kAddress]}, *number});
  }
  return vorel::Outcome::Done();
}

std::string AddressText(const QHostAddress& address, quint16 port) {
  const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                           ? "[" + address.toString() + "]"
                           : address.toString();
  return host.toStdString() + ":" + std::to_string(port);
}

// Each client speaks to a simulated connection of its own; both go when it leaves.
void Accept(QTcpServer& server, GatewayWorld& world, bool verbose) {
  while (QTcpSocket* socket = server.nextPendingConnection()) {
    if (verbose) {
      std::cerr << "gateway: connection from "
                << AddressText(socket->peerAddress(), socket->peerPort()) << '\n';
    }
    auto connection = std::make_shared<GatewayConnection>(world);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, connection, verbose] {
      const QByteArray received = socket->readAll();
      const std::vector<uint8_t> answer =
          connection->Receive(std::span(reinterpret_cast<const uint8_t*>(received.constData()),
                                        static_cast<size_t>(received.size())));
      if (!answer.empty()) {
        socket->write(reinterpret_cast<const char*>(answer.data()),
                      static_cast<qint64>(answer.size()));
      }
      for (const std::string& line : connection->TakeServed()) {
        if (verbose) std::cerr << "gateway: " << vorel::Ansi::ToUtf8(line) << '\n';
      }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [socket, verbose] {
      if (verbose) std::cerr << "gateway: connection closed\n";
      socket->deleteLater();
    });
  }
}

}  // namespace

GatewayOutcome RunGateway(int& argc, char** argv, const GatewayOptions& options,
                          const vorel::ControllerImage& memory,
                          const vorel::sim::ControllerIdentity& identity,
                          const vorel::LocalDateTime& clock, uint32_t speed, bool needsSystem,
                          const volatile std::sig_atomic_t& stop) {
  QHostAddress address(QHostAddress::LocalHost);
  if (!options.listen.empty() && !address.setAddress(QString::fromStdString(options.listen))) {
    std::cerr << "vorel-sim: --listen " << options.listen << ": not an IP address\n";
    return {2, std::nullopt};
  }

  GatewayWorld world;
  if (options.users.empty()) {
    world.AddUser({std::string(kDefaultUser), std::string(kDefaultUser),
                   std::string(vorel::sim::kFullAccess)});
  } else if (const vorel::Outcome read = ReadUsers(options.users, world); !read) {
    std::cerr << "vorel-sim: " << read.reason << '\n';
    return {2, std::nullopt};
  }
  std::vector<SystemRecipe> systems;
  if (options.systems.empty()) {
    const std::string name = SystemName(memory);
    systems.push_back({{std::to_string(identity.serialNumber),
                        name.empty() ? std::string(kDefaultSystemName) : name,
                        std::string(vorel::gateway::kFree), std::string(kDefaultSystemAddress)},
                       identity.serialNumber});
  } else if (const vorel::Outcome read = ReadSystems(options.systems, systems); !read) {
    std::cerr << "vorel-sim: " << read.reason << '\n';
    return {2, std::nullopt};
  }
  if (needsSystem && systems.empty()) {
    std::cerr << "vorel-sim: " << options.systems << ": no system whose memory could be saved\n";
    return {2, std::nullopt};
  }
  for (SystemRecipe& system : systems) {
    vorel::ControllerImage controller = memory;
    vorel::sim::ControllerIdentity own = identity;
    own.serialNumber = system.serialNumber;
    vorel::sim::SetIdentity(controller, own, clock);
    world.AddSystem(std::move(system.listing), controller);
  }

  QCoreApplication application(argc, argv);
  QTcpServer server;
  if (!server.listen(address, static_cast<quint16>(options.port))) {
    std::cerr << "vorel-sim: cannot listen on " << AddressText(address, options.port) << ": "
              << server.errorString().toStdString() << '\n';
    return {1, std::nullopt};
  }
  QObject::connect(&server, &QTcpServer::newConnection, &server,
                   [&server, &world, &options] { Accept(server, world, options.verbose); });
  QTimer stopCheck;
  QObject::connect(&stopCheck, &QTimer::timeout, &application, [&stop] {
    if (stop) QCoreApplication::quit();
  });
  stopCheck.start(kStopCheckMs);
  // The laundries keep the clock's time, `speed` times over: a status poll between two
  // ticks sees the same moment.
  QTimer laundryTick;
  QObject::connect(&laundryTick, &QTimer::timeout, &application,
                   [&world, speed] { world.Advance(kLaundryTickMs * speed); });
  world.Advance(0);
  laundryTick.start(kLaundryTickMs);

  std::printf("vorel-sim: gateway on %s\n",
              AddressText(server.serverAddress(), server.serverPort()).c_str());
  std::fflush(stdout);
  application.exec();

  GatewayOutcome outcome;
  if (!world.Systems().empty()) outcome.firstMemory = world.Systems().front().memory;
  return outcome;
}

}  // namespace vorelsim
