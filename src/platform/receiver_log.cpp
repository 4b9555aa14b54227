#include "platform/receiver_log.hpp"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTime>

#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"

namespace vantrel::platform {
namespace {

// Qt's long time format ends in the time zone ("h:mm:ss AP t"); the log has always had the time alone.
QString LongTimeFormatWithoutZone() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (quoted || c != QLatin1Char('t')) {
            withoutZone.append(c);
        }
    }
    return withoutZone.trimmed();
}

}  // namespace

std::vector<std::filesystem::path> ReceiverLogCandidates() {
    return {ToPath(QCoreApplication::applicationDirPath()) / kReceiverLogName,
            UserDataFolder() / kReceiverLogName};
}

std::string LogDateText() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toLatin1().toStdString();
}

std::string LogTimeText() {
    return QLocale::system()
        .toString(QTime::currentTime(), LongTimeFormatWithoutZone())
        .toLatin1()
        .toStdString();
}

core::Outcome ReceiverLog::Open(const std::vector<std::filesystem::path>& candidates) {
    file_.close();
    QString firstReason;
    for (const std::filesystem::path& candidate : candidates) {
        // The log is appended to in place, never replaced, but a pipe would block the opening and a device
        // or folder is no log: only a regular file (or none yet) is taken, links followed.
        if (const auto target = persistence::FollowToFileTarget(candidate); !target) {
            if (firstReason.isEmpty()) {
                firstReason = QString::fromStdString(target.message());
            }
            continue;
        }
        const QString path = FromPath(candidate);
        QDir().mkpath(FromPath(candidate.parent_path()));
        file_.setFileName(path);
        if (file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            return core::Outcome::Ok();
        }
        if (firstReason.isEmpty()) {
            firstReason = file_.errorString();
        }
    }
    if (candidates.empty()) {
        return core::Outcome::Fail("The receiver log has no place to go.");
    }
    return core::Outcome::Fail("The receiver log " + persistence::DisplayPath(candidates.front()) +
                               " could not be opened: " + firstReason.toStdString());
}

core::Outcome ReceiverLog::Append(std::string_view record) {
    const auto size = static_cast<qint64>(record.size());
    if (!file_.isOpen() || file_.write(record.data(), size) != size || !file_.flush()) {
        return core::Outcome::Fail("The receiver log " + persistence::DisplayPath(path()) +
                                   " could not be written: " + file_.errorString().toStdString());
    }
    return core::Outcome::Ok();
}

std::filesystem::path ReceiverLog::path() const {
    return ToPath(file_.fileName());
}

}  // namespace vantrel::platform
