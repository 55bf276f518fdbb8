// The TCP socket to the gateway server on QTcpSocket: opened asynchronously, its
// events handed to the remote link on the thread that owns it, written without
// waiting (the socket buffers what it cannot send yet, in order).
#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <functional>

#include "core/link/RemoteLink.h"

namespace vorel {

class GatewaySocketAdapter : public QObject, public GatewaySocket {
  Q_OBJECT

 public:
  explicit GatewaySocketAdapter(QObject* parent = nullptr);

  // Where the events go; none are delivered while there is none.
  void SetRemote(RemoteLink* remote) override { remote_ = remote; }
  // Told of a socket error after the remote link has heard of it: the text the
  // socket gives ("Connection refused").
  void SetErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }

  void Open(const std::string& host, uint16_t port) override;
  void Close() override;
  bool IsConnected() const override;
  bool Write(std::span<const uint8_t> bytes) override;

 private:
  void ReadyRead();
  void ErrorOccurred(QAbstractSocket::SocketError error);

  QTcpSocket socket_;
  RemoteLink* remote_ = nullptr;
  std::function<void(const QString&)> report_;
};

}  // namespace vorel
