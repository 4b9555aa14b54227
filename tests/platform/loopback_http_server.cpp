#include "loopback_http_server.hpp"

#include <algorithm>

namespace vantrel::testing_support {

LoopbackHttpServer::LoopbackHttpServer() {
    clock_.start();
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { OnConnection(); });
}

bool LoopbackHttpServer::Listen(quint16 port) {
    if (!server_.listen(QHostAddress::LocalHost, port)) {
        return false;
    }
    port_ = server_.serverPort();
    return true;
}

void LoopbackHttpServer::Close() {
    server_.close();
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
        socket->abort();
    }
}

void LoopbackHttpServer::OnConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        mostOpen_ = std::max(mostOpen_, ++open_);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            --open_;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { OnRequest(socket); });
    }
}

void LoopbackHttpServer::OnRequest(QTcpSocket* socket) {
    if (!socket->canReadLine() || socket->property("answered").toBool()) {
        return;
    }
    while (socket->canReadLine()) {
        if (socket->readLine().trimmed().isEmpty()) {
            break;  // the end of the request's head
        }
    }
    socket->setProperty("answered", true);
    requestTimes_.push_back(clock_.elapsed());
    switch (behaviour_) {
        case Behaviour::Silent:
            return;
        case Behaviour::NotFound:
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            break;
        case Behaviour::Serve:
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                QByteArray::number(body_.size()) + "\r\n\r\n" + body_);
            break;
        case Behaviour::ServeWithoutLength:
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body_);
            break;
    }
    socket->disconnectFromHost();
}

}  // namespace vantrel::testing_support
