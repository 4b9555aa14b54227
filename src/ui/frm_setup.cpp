#include "ui/frm_setup.hpp"
#include "ui/setup_live_group.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "instruments/port_numbers.hpp"
#include "persistence/instrument_settings.hpp"
#include "platform/serial_devices.hpp"
#include "platform/serial_ports.hpp"
#include "ui/main_frm.hpp"
#include "ui/messages.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {

int PortOptionIndex(const std::string& setting) {
    const auto port = instruments::GpsPortNumber(setting);
    if (!port || *port < 1 || *port > 8) {
        return 0;
    }
    return *port - 1;
}

namespace {

constexpr int kFrameWidth = 6720;
constexpr int kFrameHeight = 2580;
constexpr int kRightColumn = 1800;
constexpr int kLiveWidth =
    5400;  // the Track group  // inside a frame: the device and the receiver's settings
constexpr int kRightWidth = 4740;

int SelectedIndex(const std::array<QRadioButton*, 8>& options) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

// The devices present, each with its label; the box also takes a typed path.
void FillDevices(QComboBox& box, const std::vector<platform::SerialDevice>& devices) {
    box.setEditable(true);
    box.setInsertPolicy(QComboBox::NoInsert);
    for (const platform::SerialDevice& device : devices) {
        box.addItem(platform::DeviceLabel(device), device.path);
    }
}

// The path in the box: the device of a chosen entry, or the text typed.
QString ChosenPath(const QComboBox& box) {
    const int index = box.findText(box.currentText());
    // A typed path loses line breaks: they would split the settings file's entry.
    return index >= 0 ? box.itemData(index).toString()
                      : box.currentText().remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).trimmed();
}

QLabel* Label(const QString& text, QWidget* parent, int left, int top, int width) {
    auto* label = new QLabel(text, parent);
    PlaceTwips(*label, left, top, width, 255);
    return label;
}

}  // namespace

frmSetup::frmSetup(MainFrm& main, QWidget* parent)
    : QWidget(parent), main_(main), ini_(main.SettingsFileContent()) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup Com-Ports"));
    // The Track group stands right of the described two, which keep their places.
    setFixedSize(TwipsToPixels(*this, kFrameWidth + 240 + kLiveWidth + 120),
                 TwipsToPixels(*this, 2 * kFrameHeight + 900));

    auto* gps = new QGroupBox(QStringLiteral("GPS"), this);
    PlaceTwips(*gps, 120, 120, kFrameWidth, kFrameHeight);
    auto* gon = new QGroupBox(QStringLiteral("Goniometer"), this);
    PlaceTwips(*gon, 120, 240 + kFrameHeight, kFrameWidth, kFrameHeight);
    const std::vector<platform::SerialDevice> devices = platform::PresentSerialDevices();
    cboGpsDevice = new QComboBox(gps);
    cboGonDevice = new QComboBox(gon);
    FillDevices(*cboGpsDevice, devices);
    FillDevices(*cboGonDevice, devices);
    lblGpsDevice = new QLabel(gps);
    lblGonDevice = new QLabel(gon);
    BuildGroup(gps, "optCOM_GPS", {&optCOM_GPS, cboGpsDevice, lblGpsDevice});
    BuildGroup(gon, "optGonPort", {&optGonPort, cboGonDevice, lblGonDevice});
    BuildReceiver(gon);
    liveGroup = new SetupLiveGroup(ini_, this);
    PlaceTwips(*liveGroup, kFrameWidth + 240, 120, kLiveWidth, 2 * kFrameHeight + 120);

    // The settings are read afresh at every opening.
    const persistence::Settings& settings = main_.Program().settings;
    optCOM_GPS[static_cast<std::size_t>(PortOptionIndex(settings.GpsPort))]->setChecked(true);
    optGonPort[static_cast<std::size_t>(PortOptionIndex(settings.GonPort))]->setChecked(true);

    cmdRdy = new QPushButton(QStringLiteral("Ready"), this);
    cmdRdy->setObjectName(QStringLiteral("cmdRdy"));
    cmdRdy->setDefault(true);
    PlaceTwips(*cmdRdy, (kFrameWidth + 240 - 1215) / 2, 2 * kFrameHeight + 390, 1215, 375);
    connect(cmdRdy, &QPushButton::clicked, this, &frmSetup::Ready);
}

void frmSetup::BuildGroup(QWidget* frame, const char* name, Group group) {
    auto* buttons = new QButtonGroup(frame);
    for (int i = 0; i < 8; ++i) {
        auto* option = new QRadioButton(QStringLiteral("COM%1").arg(i + 1), frame);
        option->setObjectName(QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i));
        option->setToolTip(platform::SerialDeviceName(i + 1, ini_));
        PlaceTwips(*option, 240, 300 + 270 * i, 1440, 255);
        buttons->addButton(option, i);
        (*group.options)[static_cast<std::size_t>(i)] = option;
    }
    Label(QStringLiteral("Device of the chosen port"), frame, kRightColumn, 300, kRightWidth);
    group.device->setObjectName(
        QString::fromLatin1(name).replace(QStringLiteral("opt"), QStringLiteral("cbo")));
    group.device->setToolTip(QStringLiteral("Pick a device present or type its path"));
    PlaceTwips(*group.device, kRightColumn, 570, kRightWidth, 315);
    group.note->setWordWrap(true);
    PlaceTwips(*group.note, kRightColumn, 915, kRightWidth, 300);
    connect(buttons, &QButtonGroup::idToggled, this, [this, group](int, bool checked) {
        if (checked) {
            ShowDevice(group);
        }
    });
    // What the user picks or types is remembered for the port number shown.
    connect(group.device, &QComboBox::currentTextChanged, this, [this, group] {
        chosen_[SelectedIndex(*group.options) + 1] = ChosenPath(*group.device);
        NoteDevice(group);
    });
}

void frmSetup::BuildReceiver(QWidget* frame) {
    constexpr int kTop = 1290;
    Label(QStringLiteral("Format"), frame, kRightColumn, kTop, 1500);
    cboGonFormat = new QComboBox(frame);
    cboGonFormat->setObjectName(QStringLiteral("cboGonFormat"));
    for (const instruments::RxFormatDescriptor& format : instruments::RxFormats()) {
        cboGonFormat->addItem(QString::fromLatin1(format.name));
    }
    PlaceTwips(*cboGonFormat, kRightColumn + 1860, kTop - 30, 1500, 315);
    Label(QStringLiteral("Speed (baud)"), frame, kRightColumn, kTop + 390, 1500);
    cboGonBaud = new QComboBox(frame);
    cboGonBaud->setObjectName(QStringLiteral("cboGonBaud"));
    cboGonBaud->setEditable(true);
    for (const char* speed : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}) {
        cboGonBaud->addItem(QString::fromLatin1(speed));
    }
    PlaceTwips(*cboGonBaud, kRightColumn + 1860, kTop + 360, 1500, 315);
    Label(QStringLiteral("One mean every (s)"), frame, kRightColumn, kTop + 780, 1800);
    txtGonInterval = new QLineEdit(frame);
    txtGonInterval->setObjectName(QStringLiteral("txtGonInterval"));
    txtGonInterval->setToolTip(
        QStringLiteral("Units that send many lines a second file the mean of each interval"));
    PlaceTwips(*txtGonInterval, kRightColumn + 1860, kTop + 750, 1500, 285);

    auto receiver = persistence::ReceiverSettingsFromIni(ini_);
    if (!receiver) {
        receiver = persistence::ReceiverSettings{};  // shown as the defaults; Ready writes what is shown
    }
    cboGonFormat->setCurrentText(QString::fromLatin1(instruments::RxFormatName(receiver->format)));
    cboGonBaud->setCurrentText(QString::number(receiver->baudRate));
    txtGonInterval->setText(QString::fromStdString(instruments::SecondsText(
        static_cast<instruments::Nanoseconds>(receiver->intervalSeconds * 1e9 + 0.5))));
    // A new format brings its units' usual speed; the interval is that of a streaming unit's means.
    connect(cboGonFormat, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (const auto format = instruments::ParseRxFormat(name.toStdString())) {
            cboGonBaud->setCurrentText(QString::number(instruments::DefaultBaudRate(*format)));
            txtGonInterval->setEnabled(instruments::IsStreaming(*format));
        }
    });
    txtGonInterval->setEnabled(instruments::IsStreaming(receiver->format));
}

void frmSetup::ShowDevice(const Group& group) {
    const int port = SelectedIndex(*group.options) + 1;
    const auto chosen = chosen_.find(port);
    const QString device = chosen != chosen_.end() ? chosen->second : platform::SerialDeviceName(port, ini_);
    const QSignalBlocker blocker(group.device);
    const int index = group.device->findData(device);
    group.device->setCurrentText(index >= 0 ? group.device->itemText(index) : device);
    NoteDevice(group);
}

void frmSetup::NoteDevice(const Group& group) {
    const QString path = ChosenPath(*group.device);
    const int port = SelectedIndex(*group.options) + 1;
    const QString present =
        QFileInfo::exists(path) ? QStringLiteral("present") : QStringLiteral("not present now");
    group.note->setText(QStringLiteral("COM%1 stands for %2 (%3)").arg(port).arg(path, present));
}

void frmSetup::Ready() {
    const int gpsPort = SelectedIndex(optCOM_GPS) + 1;
    const int gonPort = SelectedIndex(optGonPort) + 1;
    const QString gpsDevice = ChosenPath(*cboGpsDevice);
    const QString gonDevice = ChosenPath(*cboGonDevice);
    if (gpsPort == gonPort && gpsDevice != gonDevice) {
        ShowMessage(
            this,
            QStringLiteral("GPS and Goniometer are both on COM%1, but name different devices.").arg(gpsPort),
            QMessageBox::Warning);
        return;
    }
    persistence::ReceiverSettings receiver;
    receiver.format = instruments::ParseRxFormat(cboGonFormat->currentText().toStdString())
                          .value_or(instruments::RxFormat::Fixed);
    bool speedOk = false;
    receiver.baudRate = cboGonBaud->currentText().trimmed().toInt(&speedOk);
    const auto interval = instruments::ParseSeconds(txtGonInterval->text().toStdString());
    if (!speedOk || receiver.baudRate <= 0) {
        ShowMessage(this, QStringLiteral("Speed: \"%1\" is not a line speed.").arg(cboGonBaud->currentText()),
                    QMessageBox::Warning);
        return;
    }
    if (!interval || *interval <= 0 || *interval > 60 * instruments::kSecond) {
        ShowMessage(
            this,
            QStringLiteral("One mean every: \"%1\" is not a number of seconds from more than 0 to 60.")
                .arg(txtGonInterval->text()),
            QMessageBox::Warning);
        return;
    }
    receiver.intervalSeconds = static_cast<double>(*interval) / 1e9;
    const auto live = liveGroup->Settings();
    if (!live) {
        ShowMessage(this, QString::fromStdString(live.message()), QMessageBox::Warning);
        return;
    }

    // [Ports] first, then the seven settings (PutIniData keeps what else the file holds).
    const auto keepDevice = [this](persistence::IniFile& ini, int port, const QString& device) {
        if (!device.isEmpty() && device != platform::SerialDeviceName(port, ini_)) {
            ini.Set("Ports", instruments::PortName(port), device.toStdString());
        }
    };
    const core::Outcome kept =
        persistence::UpdateIniFile(main_.SettingsFile(), [&](persistence::IniFile& ini) {
            keepDevice(ini, gpsPort, gpsDevice);
            keepDevice(ini, gonPort, gonDevice);
            persistence::ReceiverSettingsToIni(receiver, ini);
            SetupLiveGroup::WriteLive(*live, ini);
        });
    if (!kept) {
        ShowMessage(this, QString::fromStdString(kept.message()), QMessageBox::Warning);
        return;
    }
    persistence::Settings& settings = main_.Program().settings;
    settings.GpsPort = std::to_string(gpsPort);
    settings.GonPort = std::to_string(gonPort);
    main_.PutIniData();
    close();
}

}  // namespace vantrel::ui
