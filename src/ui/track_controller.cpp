#include "ui/track_controller.hpp"

#include <QDateTime>
#include <QTime>

#include <cmath>

#include <variant>

#include "instruments/feed_address.hpp"
#include "persistence/instrument_settings.hpp"
#include "persistence/path_text.hpp"
#include "platform/gpsd_client.hpp"
#include "platform/instrument_port.hpp"
#include "platform/network_df_poller.hpp"
#include "platform/serial_ports.hpp"
#include "quality/fix_quality.hpp"
#include "ui/hunt_log_link.hpp"
#include "ui/main_frm.hpp"

namespace vantrel::ui {
namespace {

hunt_log::TimeMs NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

bool IsGpsdAddress(const std::string& text) {
    return text.size() >= 7 &&
           QString::fromStdString(text.substr(0, 7)).toLower() == QStringLiteral("gpsd://");
}

live::LiveOptions OptionsOf(const persistence::LiveSettings& settings, const persistence::IniFile& ini,
                            const quality::QualitySettings& quality) {
    live::LiveOptions options;
    if (const auto rx = persistence::ReceiverSettingsFromIni(ini)) {
        options.format =
            rx->format == instruments::RxFormat::Fixed ? instruments::RxFormat::Agrelo : rx->format;
        options.interval.intervalMs = static_cast<hunt_log::TimeMs>(std::llround(rx->intervalSeconds * 1000));
    }
    options.interval.sigmaFloor = quality.bearingSigmaFloor;
    options.interval.sigmaWithoutSpread = quality.bearingSigma;
    options.receiverVehicle = settings.receiverVehicle;
    options.networkVehicle = settings.networkVehicle;
    options.heading.minSpeed = settings.minSpeed;
    options.foxes = settings.foxFrequencies;
    options.frequencyToleranceHz = settings.frequencyToleranceHz;
    return options;
}

}  // namespace

TrackController::TrackController(MainFrm& main) : QObject(&main), main_(main) {
    connect(&tick_, &QTimer::timeout, this, &TrackController::OnTick);
}

TrackController::~TrackController() = default;

core::Outcome TrackController::Start() {
    if (running_) {
        return core::Outcome::Ok();
    }
    const persistence::IniFile ini = main_.SettingsFileContent();
    const persistence::LiveSettingsRead read = persistence::LiveSettingsFromIni(ini);
    auto writer = main_.HuntLog()->OpenLogWriter(NowMs());
    if (!writer) {
        return writer.outcome();
    }
    writer_.emplace(std::move(*writer));
    session_ = std::make_unique<live::LiveSession>(OptionsOf(read.settings, ini, main_.Quality()));
    nmea_ = live::NmeaMotionReader();
    schedule_.reset();
    if (const persistence::ScheduleSettings typed = persistence::ScheduleSettingsFromIni(ini); typed.on) {
        const auto schedule = persistence::ScheduleFromSettings(typed);
        if (!schedule) {
            writer_.reset();
            return core::Outcome::Fail("[Schedule] " + schedule.message());
        }
        schedule_ = *schedule;
        clockOffsetNs_ = persistence::ClockOffset(typed.clockOffset).value_or(0);
    }
    foxOnAir_ = FoxOnAirNow();
    Take(session_->SetFoxOnAir(foxOnAir_, NowMs()));
    if (const core::Outcome gps = OpenGps(read.settings); !gps) {
        Stop();
        return gps;
    }
    if (const core::Outcome network = OpenNetwork(read.settings); !network) {
        Stop();
        return network;
    }
    if (const core::Outcome receiver = OpenReceiver(ini); !receiver) {
        Stop();
        return receiver;
    }
    running_ = true;
    tick_.start(kTickMs);
    for (const std::string& line : read.problems) {
        Q_EMIT problem(QString::fromStdString(line));
    }
    OnTick();
    return core::Outcome::Ok();
}

core::Outcome TrackController::OpenGps(const persistence::LiveSettings& settings) {
    if (IsGpsdAddress(settings.gps)) {
        const auto address = instruments::ParseGpsdAddress(settings.gps);
        if (!address) {
            return address.outcome();
        }
        gpsd_ = std::make_unique<platform::GpsdClient>();
        connect(gpsd_.get(), &platform::GpsdClient::sample, this,
                [this](const instruments::GpsSample& fix, qint64 arrivalMs) { OnFix(fix, arrivalMs); });
        connect(gpsd_.get(), &platform::GpsdClient::status, this,
                [this](const QString& text) { gpsFeedStatus_ = text; });
        gpsd_->Start(*address);
        return core::Outcome::Ok();
    }
    QString device = QString::fromStdString(settings.gps);
    if (device.isEmpty()) {
        const auto described = platform::GpsDevice(main_.Program().settings, main_.SettingsFileContent());
        if (!described) {
            return described.outcome();
        }
        device = *described;
    }
    serial_ = std::make_unique<platform::InstrumentPort>();
    if (const core::Outcome opened = serial_->Open(device, platform::GpsPositionRequest::kBaudRate);
        !opened) {
        return core::Outcome::Fail("Track: the GPS " + device.toStdString() +
                                   " cannot be opened: " + opened.message());
    }
    // What the port held before the opening may be minutes old (as with Get Pos).
    serial_->ClearInput();
    connect(serial_.get(), &platform::InstrumentPort::received, this, &TrackController::OnSerialBytes);
    connect(serial_.get(), &platform::InstrumentPort::disconnected, this, [this](const QString& message) {
        gpsFeedStatus_ = QStringLiteral("GPS: ") + message;
        Q_EMIT problem(QStringLiteral("Track: ") + message);
    });
    return core::Outcome::Ok();
}

core::Outcome TrackController::OpenNetwork(const persistence::LiveSettings& settings) {
    if (settings.networkUrl.empty()) {
        return core::Outcome::Ok();
    }
    const auto address = instruments::ParseNetworkDfAddress(settings.networkUrl);
    if (!address) {
        return address.outcome();
    }
    network_ = std::make_unique<platform::NetworkDfPoller>();
    connect(network_.get(), &platform::NetworkDfPoller::frame, this,
            [this](const QByteArray& body, qint64 arrivalMs, bool) {
                // Repeated frames go in as well: the session counts them and logs each channel once.
                Take(session_->OnNetworkBody(
                    std::string_view(body.constData(), static_cast<std::size_t>(body.size())), arrivalMs));
            });
    connect(network_.get(), &platform::NetworkDfPoller::status, this,
            [this](const QString& text) { networkFeedStatus_ = text; });
    network_->Start(*address, settings.pollMs);
    return core::Outcome::Ok();
}

core::Outcome TrackController::OpenReceiver(const persistence::IniFile& ini) {
    const auto rx = persistence::ReceiverSettingsFromIni(ini);
    if (!rx || !instruments::IsStreaming(rx->format)) {
        return core::Outcome::Ok();  // the fixed-column receiver: one reading per Aquire from RX, not a
                                     // stream
    }
    const auto device = platform::GonDevice(main_.Program().settings, ini, main_.DecimalSeparator());
    if (!device) {
        return device.outcome();
    }
    receiver_ = std::make_unique<platform::InstrumentPort>();
    if (const core::Outcome opened = receiver_->Open(*device, rx->baudRate); !opened) {
        return core::Outcome::Fail("Track: the Goniometer " + device->toStdString() +
                                   " cannot be opened: " + opened.message());
    }
    receiver_->ClearInput();
    connect(receiver_.get(), &platform::InstrumentPort::received, this, [this](const QByteArray& bytes) {
        Take(session_->OnReceiverBytes(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), NowMs()));
    });
    connect(receiver_.get(), &platform::InstrumentPort::disconnected, this, [this](const QString& message) {
        Q_EMIT problem(QStringLiteral("Track, Goniometer: ") + message);
    });
    return core::Outcome::Ok();
}

int TrackController::FoxOnAirNow() const {
    if (!schedule_) {
        return 1;
    }
    const auto timeOfDay = static_cast<std::int64_t>(QTime::currentTime().msecsSinceStartOfDay());
    return instruments::FoxOnAir(*schedule_, timeOfDay * 1'000'000 + clockOffsetNs_);
}

void TrackController::Stop() {
    if (running_ && session_) {
        Take(session_->Finish(NowMs()));
    }
    running_ = false;
    tick_.stop();
    gpsd_.reset();
    serial_.reset();
    receiver_.reset();
    network_.reset();
    writer_.reset();
    nextFix_ = nullptr;
    gpsFeedStatus_.clear();
    networkFeedStatus_.clear();
    lastStatus_.clear();
    Q_EMIT statusChanged(QString());
}

void TrackController::TakeNextFix(std::function<void(const instruments::GpsSample&)> onFix) {
    nextFix_ = std::move(onFix);
}

void TrackController::OnSerialBytes(const QByteArray& bytes) {
    const hunt_log::TimeMs arrival = NowMs();
    for (const live::MotionItem& item :
         nmea_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        if (const auto* fix = std::get_if<instruments::GpsSample>(&item)) {
            OnFix(*fix, arrival);
        } else {
            session_->OnHeading(std::get<instruments::HeadingSample>(item), arrival);
        }
    }
}

void TrackController::OnFix(const instruments::GpsSample& fix, hunt_log::TimeMs arrivalMs) {
    Take(session_->OnGps(fix, arrivalMs));
    if (nextFix_) {
        const auto onFix = std::move(nextFix_);
        nextFix_ = nullptr;
        onFix(fix);
    }
}

void TrackController::Take(const live::LiveOutput& output) {
    if (!writer_ || (output.bearings.empty() && output.positions.empty() && output.problems.empty())) {
        return;
    }
    // The session hands out bearings and track points in time order; the log keeps that order.
    for (const hunt_log::PositionEvent& position : output.positions) {
        if (const core::Outcome appended = writer_->AppendPosition(position); !appended) {
            Q_EMIT problem(QString::fromStdString(appended.message()));
        }
    }
    for (const hunt_log::NewBearing& bearing : output.bearings) {
        if (const auto id = writer_->AppendBearing(bearing); !id) {
            Q_EMIT problem(QString::fromStdString(id.message()));
        }
    }
    if (!output.bearings.empty() || !output.positions.empty()) {
        main_.HuntLog()->AnnounceChanged();
    }
}

void TrackController::OnTick() {
    if (!running_) {
        return;
    }
    if (const int fox = FoxOnAirNow(); fox != foxOnAir_) {
        foxOnAir_ = fox;
        Take(session_->SetFoxOnAir(fox, NowMs()));
    }
    Take(session_->Tick(NowMs()));
    const QString text = StatusText();
    if (text != lastStatus_) {
        lastStatus_ = text;
        Q_EMIT statusChanged(text);
    }
}

QString TrackController::StatusText() const {
    if (!session_) {
        return {};
    }
    QString text = QString::fromStdString(session_->GpsText(NowMs())) + QStringLiteral(" | ") +
                   QString::fromStdString(session_->CountsText());
    // A feed's trouble is worth the room; its good news ("answering") is not.
    for (const QString* feed : {&gpsFeedStatus_, &networkFeedStatus_}) {
        if (feed->contains(QStringLiteral("retrying")) || feed->contains(QStringLiteral("no fix")) ||
            feed->startsWith(QStringLiteral("GPS: "))) {
            text += QStringLiteral(" | ") + *feed;
        }
    }
    return text;
}

}  // namespace vantrel::ui
