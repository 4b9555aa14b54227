#pragma once

// A small HTTP server on 127.0.0.1 for the network feeds' tests, run by the test's own event loop. It
// serves one body for any GET, or misbehaves as told: keeps quiet, answers with an error status, sends a
// body without its length. It counts the requests and notes the most that were open at once.

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <vector>

namespace vantrel::testing_support {

class LoopbackHttpServer {
  public:
    enum class Behaviour { Serve, ServeWithoutLength, Silent, NotFound };

    LoopbackHttpServer();
    // Listens on the port (0: any free one); false when it cannot.
    bool Listen(quint16 port = 0);
    // Stops listening and drops every open connection: new ones are refused.
    void Close();
    [[nodiscard]] quint16 port() const { return port_; }

    void SetBody(const QByteArray& body) { body_ = body; }
    void SetBehaviour(Behaviour behaviour) { behaviour_ = behaviour; }

    [[nodiscard]] int requests() const { return static_cast<int>(requestTimes_.size()); }
    // When each request arrived, in ms since the server was made.
    [[nodiscard]] const std::vector<qint64>& requestTimes() const { return requestTimes_; }
    [[nodiscard]] int mostOpenAtOnce() const { return mostOpen_; }

  private:
    void OnConnection();
    void OnRequest(QTcpSocket* socket);

    QTcpServer server_;
    QElapsedTimer clock_;
    QByteArray body_;
    Behaviour behaviour_ = Behaviour::Serve;
    std::vector<qint64> requestTimes_;
    quint16 port_ = 0;
    int open_ = 0;
    int mostOpen_ = 0;
};

}  // namespace vantrel::testing_support
