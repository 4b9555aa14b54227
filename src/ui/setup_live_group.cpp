#include "ui/setup_live_group.hpp"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include <charconv>
#include <cmath>
#include <optional>

#include "core/number_text.hpp"
#include "instruments/feed_address.hpp"

namespace vantrel::ui {
namespace {

// The keys of [Live] this group writes.
constexpr const char* kLiveKeys[] = {"Gps",        "ReceiverVehicle", "NetworkVehicle",    "MinSpeed",
                                     "NetworkUrl", "PollMs",          "FrequencyTolerance"};

// A number typed with '.' or ',' as its decimal separator; nothing for anything else.
std::optional<double> TypedNumber(const QLineEdit& box) {
    std::string text = box.text().trimmed().toStdString();
    for (char& c : text) {
        c = c == ',' ? '.' : c;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QLineEdit* Box(const QString& name, const QString& text, const QString& tip, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    return box;
}

core::Result<persistence::LiveSettings> Refuse(const QString& box, const QString& what) {
    return core::Result<persistence::LiveSettings>::Fail(
        QStringLiteral("Track, %1: %2").arg(box, what).toStdString());
}

}  // namespace

SetupLiveGroup::SetupLiveGroup(const persistence::IniFile& ini, QWidget* parent)
    : QGroupBox(QStringLiteral("Track (hunting on the move)"), parent),
      shown_(persistence::LiveSettingsFromIni(ini).settings) {
    setObjectName(QStringLiteral("grpLive"));
    auto* form = new QFormLayout(this);
    txtLiveGps =
        Box(QStringLiteral("txtLiveGps"), QString::fromStdString(shown_.gps),
            QStringLiteral("A serial device (/dev/ttyACM0) or gpsd://HOST:PORT; empty: the GPS port above"),
            this);
    txtLiveGps->setPlaceholderText(QStringLiteral("the GPS port, or gpsd://127.0.0.1:2947"));
    chkReceiverVehicle = new QCheckBox(QStringLiteral("Goniometer"), this);
    chkReceiverVehicle->setObjectName(QStringLiteral("chkReceiverVehicle"));
    chkReceiverVehicle->setChecked(shown_.receiverVehicle);
    chkReceiverVehicle->setToolTip(
        QStringLiteral("The streaming receiver's bearings are relative to the car's forward direction"));
    txtMinSpeed =
        Box(QStringLiteral("txtMinSpeed"), QString::fromStdString(core::ShortestText(shown_.minSpeed)),
            QStringLiteral("Below this speed the course over ground gives no heading"), this);
    txtNetworkUrl =
        Box(QStringLiteral("txtNetworkUrl"), QString::fromStdString(shown_.networkUrl),
            QStringLiteral("http://HOST:PORT/PATH of a network direction finder; empty: none"), this);
    txtNetworkUrl->setPlaceholderText(QStringLiteral("none, or http://HOST:8081/DOA_value.html"));
    chkNetworkVehicle = new QCheckBox(QStringLiteral("Network DF"), this);
    chkNetworkVehicle->setObjectName(QStringLiteral("chkNetworkVehicle"));
    chkNetworkVehicle->setChecked(shown_.networkVehicle);
    chkNetworkVehicle->setToolTip(QStringLiteral(
        "The network direction finder's lines without an array heading are relative to the car"));
    txtPollMs = Box(QStringLiteral("txtPollMs"), QString::number(shown_.pollMs),
                    QStringLiteral("How often the network direction finder is asked, 50 to 60000 ms"), this);
    txtFrequencyTolerance =
        Box(QStringLiteral("txtFrequencyTolerance"),
            QString::fromStdString(core::ShortestText(shown_.frequencyToleranceHz)),
            QStringLiteral("How far a channel may lie from a fox's frequency ([Foxes] Frequency1..5)"), this);
    // Where the data come from first, then how they are read.
    form->addRow(QStringLiteral("GPS"), txtLiveGps);
    form->addRow(QStringLiteral("Network DF"), txtNetworkUrl);
    form->addRow(QStringLiteral("Poll every (ms)"), txtPollMs);
    form->addRow(QStringLiteral("Relative to the car"), chkReceiverVehicle);
    form->addRow(QString(), chkNetworkVehicle);
    form->addRow(QStringLiteral("Min. speed (m/s)"), txtMinSpeed);
    form->addRow(QStringLiteral("Frequency tolerance (Hz)"), txtFrequencyTolerance);
}

core::Result<persistence::LiveSettings> SetupLiveGroup::Settings() const {
    persistence::LiveSettings settings = shown_;
    settings.gps = txtLiveGps->text().trimmed().toStdString();
    if (settings.gps.rfind("gpsd:", 0) == 0) {
        if (const auto address = instruments::ParseGpsdAddress(settings.gps); !address) {
            return Refuse(QStringLiteral("GPS"), QString::fromStdString(address.message()));
        }
    }
    settings.networkUrl = txtNetworkUrl->text().trimmed().toStdString();
    if (!settings.networkUrl.empty()) {
        if (const auto address = instruments::ParseNetworkDfAddress(settings.networkUrl); !address) {
            return Refuse(QStringLiteral("Network DF"), QString::fromStdString(address.message()));
        }
    }
    settings.receiverVehicle = chkReceiverVehicle->isChecked();
    settings.networkVehicle = chkNetworkVehicle->isChecked();
    const auto minSpeed = TypedNumber(*txtMinSpeed);
    if (!minSpeed || *minSpeed < 0) {
        return Refuse(QStringLiteral("Min. speed"),
                      QStringLiteral("\"%1\" is not a speed of 0 m/s or more.").arg(txtMinSpeed->text()));
    }
    settings.minSpeed = *minSpeed;
    const auto poll = TypedNumber(*txtPollMs);
    if (!poll || *poll < 50 || *poll > 60000 || std::floor(*poll) != *poll) {
        return Refuse(
            QStringLiteral("Poll every"),
            QStringLiteral("\"%1\" is not a whole number of ms from 50 to 60000.").arg(txtPollMs->text()));
    }
    settings.pollMs = static_cast<int>(*poll);
    const auto tolerance = TypedNumber(*txtFrequencyTolerance);
    if (!tolerance || *tolerance < 0) {
        return Refuse(
            QStringLiteral("Frequency tolerance"),
            QStringLiteral("\"%1\" is not a number of Hz, 0 or more.").arg(txtFrequencyTolerance->text()));
    }
    settings.frequencyToleranceHz = *tolerance;
    return settings;
}

void SetupLiveGroup::WriteLive(const persistence::LiveSettings& settings, persistence::IniFile& ini) {
    persistence::IniFile written = ini;
    persistence::LiveSettingsToIni(settings, written);
    for (const char* key : kLiveKeys) {
        if (const auto value = written.Get(persistence::kLiveSection, key)) {
            ini.Set(persistence::kLiveSection, key, *value);
        }
    }
}

}  // namespace vantrel::ui
