#include "platform/gpsd_client.hpp"

#include <QDateTime>

#include "platform/feed_status.hpp"

namespace vantrel::platform {

GpsdClient::GpsdClient(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    connectTimeout_.setSingleShot(true);
    // A coarse timer may fire 5 % early: the pauses are promised to the user.
    retry_.setTimerType(Qt::PreciseTimer);
    connect(&retry_, &QTimer::timeout, this, &GpsdClient::Connect);
    connect(&connectTimeout_, &QTimer::timeout, this,
            [this] { OnFailure(QStringLiteral("no answer within %1 s").arg(kConnectTimeoutMs / 1000)); });
    connect(&socket_, &QTcpSocket::connected, this, &GpsdClient::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &GpsdClient::OnReadyRead);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        switch (error) {
            case QAbstractSocket::ConnectionRefusedError:
                OnFailure(QStringLiteral("connection refused"));
                break;
            case QAbstractSocket::RemoteHostClosedError:
                OnFailure(QStringLiteral("gpsd closed the connection"));
                break;
            case QAbstractSocket::HostNotFoundError:
                OnFailure(QStringLiteral("host not found"));
                break;
            default:
                OnFailure(socket_.errorString());
        }
    });
}

QString GpsdClient::Name() const {
    return QStringLiteral("gpsd ") + QString::fromStdString(instruments::HostAndPort(address_));
}

void GpsdClient::Start(const instruments::FeedAddress& address) {
    Stop();
    address_ = address;
    running_ = true;
    pause_.Reset();
    lastFixTimeMs_.reset();
    Connect();
}

void GpsdClient::Stop() {
    running_ = false;
    retry_.stop();
    connectTimeout_.stop();
    socket_.abort();
    framer_.Reset();
    hasFix_ = false;
    lastStatus_.clear();
}

void GpsdClient::Connect() {
    if (!running_) {
        return;
    }
    framer_.Reset();
    hasFix_ = false;
    SetStatus(Name() + QStringLiteral(": connecting"));
    connectTimeout_.start(kConnectTimeoutMs);
    socket_.connectToHost(QString::fromStdString(address_.host), address_.port);
}

void GpsdClient::OnConnected() {
    connectTimeout_.stop();
    pause_.Reset();
    socket_.write(instruments::kGpsdWatchCommand.data(),
                  static_cast<qint64>(instruments::kGpsdWatchCommand.size()));
    SetStatus(Name() + QStringLiteral(": connected, waiting for a fix"));
}

void GpsdClient::OnReadyRead() {
    const QByteArray bytes = socket_.readAll();
    framer_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                 [this](std::string_view line) { OnLine(line); });
}

void GpsdClient::OnLine(std::string_view line) {
    if (!running_) {
        return;  // stopped by a receiver of an earlier line of the same chunk
    }
    const instruments::GpsdReport report = instruments::ParseGpsdReport(line);
    if (report.kind == instruments::GpsdReport::Kind::NoFix) {
        if (hasFix_ || lastStatus_.endsWith(QStringLiteral("waiting for a fix"))) {
            SetStatus(QStringLiteral("gpsd: no fix"));
        }
        hasFix_ = false;
        return;
    }
    if (report.kind != instruments::GpsdReport::Kind::Fix) {
        return;
    }
    // A fix not newer than the last one given is a repeat (or the GPS clock jumped back): stale.
    if (lastFixTimeMs_ && report.sample.timeMs <= *lastFixTimeMs_) {
        return;
    }
    lastFixTimeMs_ = report.sample.timeMs;
    if (!hasFix_) {
        hasFix_ = true;
        SetStatus(QStringLiteral("gpsd: fix"));
    }
    Q_EMIT sample(report.sample, QDateTime::currentMSecsSinceEpoch());
}

void GpsdClient::OnFailure(const QString& reason) {
    if (!running_ || retry_.isActive()) {
        return;  // one failure can be reported twice (error, then the time-out): one retry is enough
    }
    connectTimeout_.stop();
    socket_.abort();
    framer_.Reset();
    hasFix_ = false;
    const std::int64_t pause = pause_.Next();
    SetStatus(Name() + QStringLiteral(": ") + reason + QStringLiteral(", retrying in ") + PauseText(pause));
    retry_.start(static_cast<int>(pause));
}

void GpsdClient::SetStatus(const QString& text) {
    if (text == lastStatus_) {
        return;
    }
    lastStatus_ = text;
    Q_EMIT status(text);
}

}  // namespace vantrel::platform
