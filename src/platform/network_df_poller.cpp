#include "platform/network_df_poller.hpp"

#include <QDateTime>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

#include "platform/feed_status.hpp"

namespace vantrel::platform {
namespace {

constexpr int kShortestPollMs = 50;

QString ReasonOf(const QNetworkReply& reply) {
    switch (reply.error()) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("connection refused");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("the server closed the connection");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("host not found");
        default:
            return reply.errorString();
    }
}

}  // namespace

NetworkDfPoller::NetworkDfPoller(QObject* parent) : QObject(parent) {
    manager_.setProxy(QNetworkProxy::NoProxy);
    next_.setSingleShot(true);
    timeout_.setSingleShot(true);
    // A coarse timer may fire 5 % early: the time-out and the pauses are promised to the user.
    next_.setTimerType(Qt::PreciseTimer);
    timeout_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &NetworkDfPoller::Poll);
    connect(&timeout_, &QTimer::timeout, this, &NetworkDfPoller::OnTimeout);
}

NetworkDfPoller::~NetworkDfPoller() {
    Stop();
}

QString NetworkDfPoller::Url() const {
    return QString::fromStdString(instruments::NetworkDfUrl(address_));
}

void NetworkDfPoller::Start(const instruments::FeedAddress& address, int pollMs) {
    Stop();
    address_ = address;
    pollMs_ = std::max(pollMs, kShortestPollMs);
    running_ = true;
    pause_.Reset();
    hasLastBody_ = false;
    Poll();
}

void NetworkDfPoller::Stop() {
    running_ = false;
    next_.stop();
    timeout_.stop();
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    lastStatus_.clear();
}

void NetworkDfPoller::Poll() {
    if (!running_ || reply_) {
        return;
    }
    QNetworkRequest request{QUrl(Url())};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    body_.clear();
    failure_.clear();
    sinceRequest_.start();
    reply_ = manager_.get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &NetworkDfPoller::OnMetaData);
    connect(reply_, &QNetworkReply::readyRead, this, &NetworkDfPoller::OnReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &NetworkDfPoller::OnFinished);
    timeout_.start(kTimeoutMs);
}

void NetworkDfPoller::OnMetaData() {
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > kMaxBodyBytes) {
        GiveUp(QStringLiteral("the response (%1 bytes) is longer than 1 MiB").arg(length.toLongLong()));
    }
}

void NetworkDfPoller::OnReadyRead() {
    if (!failure_.isEmpty()) {
        return;
    }
    body_.append(reply_->read(kMaxBodyBytes + 1 - body_.size()));
    if (body_.size() > kMaxBodyBytes || reply_->bytesAvailable() > 0) {
        GiveUp(QStringLiteral("the response is longer than 1 MiB"));
    }
}

void NetworkDfPoller::OnTimeout() {
    GiveUp(QStringLiteral("no answer within %1 s").arg(kTimeoutMs / 1000));
}

// Ends the request in flight; OnFinished reports the reason.
void NetworkDfPoller::GiveUp(const QString& reason) {
    if (!reply_ || !failure_.isEmpty()) {
        return;
    }
    failure_ = reason;
    reply_->abort();
}

void NetworkDfPoller::OnFinished() {
    timeout_.stop();
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (!running_) {
        return;
    }
    if (!failure_.isEmpty()) {
        Failed(failure_);
        return;
    }
    const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError && code == 0) {
        Failed(ReasonOf(*reply));
        return;
    }
    if (code != 200) {
        const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        Failed(QStringLiteral("HTTP %1 %2").arg(code).arg(phrase).trimmed());
        return;
    }
    body_.append(reply->readAll());
    if (body_.size() > kMaxBodyBytes) {
        Failed(QStringLiteral("the response is longer than 1 MiB"));
        return;
    }
    pause_.Reset();
    SetStatus(Url() + QStringLiteral(": answering"));
    const bool same = hasLastBody_ && body_ == lastBody_;
    lastBody_ = body_;
    hasLastBody_ = true;
    Q_EMIT frame(body_, QDateTime::currentMSecsSinceEpoch(), same);
    next_.start(static_cast<int>(std::max<qint64>(0, pollMs_ - sinceRequest_.elapsed())));
}

void NetworkDfPoller::Failed(const QString& reason) {
    const std::int64_t pause = pause_.Next();
    SetStatus(Url() + QStringLiteral(": ") + reason + QStringLiteral(", retrying in ") + PauseText(pause));
    next_.start(static_cast<int>(pause));
}

void NetworkDfPoller::SetStatus(const QString& text) {
    if (text == lastStatus_) {
        return;
    }
    lastStatus_ = text;
    Q_EMIT status(text);
}

}  // namespace vantrel::platform
