// The gateway socket.
#include "io/GatewaySocketAdapter.h"

#include <QSignalBlocker>
#include <array>

namespace vorel {

GatewaySocketAdapter::GatewaySocketAdapter(QObject* parent) : QObject(parent) {
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    if (remote_) remote_->Connected();
  });
  connect(&socket_, &QTcpSocket::disconnected, this, [this] {
    if (remote_) remote_->Disconnected();
  });
  connect(&socket_, &QTcpSocket::readyRead, this, &GatewaySocketAdapter::ReadyRead);
  connect(&socket_, &QTcpSocket::errorOccurred, this, &GatewaySocketAdapter::ErrorOccurred);
}

void GatewaySocketAdapter::Open(const std::string& host, uint16_t port) {
  Close();
  socket_.connectToHost(QString::fromStdString(host), port);
}

void GatewaySocketAdapter::Close() {
  // The remote link closes on purpose and needs no word of it.
  const QSignalBlocker quiet(socket_);
  socket_.abort();
}

bool GatewaySocketAdapter::IsConnected() const {
  return socket_.state() == QAbstractSocket::ConnectedState;
}

bool GatewaySocketAdapter::Write(std::span<const uint8_t> bytes) {
  const qint64 size = static_cast<qint64>(bytes.size());
  return socket_.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

void GatewaySocketAdapter::ReadyRead() {
  std::array<char, 2000> chunk;
  while (remote_ && socket_.bytesAvailable() > 0) {
    const qint64 got = socket_.read(chunk.data(), chunk.size());
    if (got <= 0) break;
    remote_->Receive(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(chunk.data()), size_t(got)));
  }
}

void GatewaySocketAdapter::ErrorOccurred(QAbstractSocket::SocketError error) {
  // The server closing the connection is a disconnect, reported as such.
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  const QString text = socket_.errorString();
  if (remote_) remote_->SocketError();
  if (report_) report_(text);
}

}  // namespace vorel
