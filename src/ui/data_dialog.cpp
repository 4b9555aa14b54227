#include "ui/data_dialog.hpp"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/nav_data.hpp"
#include "ui/box_text.hpp"
#include "ui/messages.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {
namespace {

constexpr std::array<map_outputs::ObjectBox, 4> kBoxes{
    map_outputs::ObjectBox::Name, map_outputs::ObjectBox::Lat, map_outputs::ObjectBox::Lon,
    map_outputs::ObjectBox::GraphId};

const std::string& TextOf(const map_outputs::ObjectRecordTexts& texts, map_outputs::ObjectBox box) {
    switch (box) {
        case map_outputs::ObjectBox::Name:
            return texts.objname;
        case map_outputs::ObjectBox::Lat:
            return texts.grad_lat;
        case map_outputs::ObjectBox::Lon:
            return texts.grad_long;
        case map_outputs::ObjectBox::GraphId:
            break;
    }
    return texts.graphic_id;
}

}  // namespace

DataDialog::DataDialog(platform::NavData& navData, QWidget* parent) : QWidget(parent), navData_(navData) {
    setObjectName(QStringLiteral("DataDialog"));
    setWindowTitle(QStringLiteral("Dataview"));
    setFixedSize(TwipsToPixels(*this, 4800), TwipsToPixels(*this, 3240));

    const std::array<QString, 4> captions{QStringLiteral("Name"), QStringLiteral("LAT"),
                                          QStringLiteral("LON"), QStringLiteral("Graph ID")};
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const int top = 240 + 420 * static_cast<int>(i);
        auto* label = new QLabel(captions[i], this);
        PlaceTwips(*label, 240, top + 30, 1000, 255);
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        PlaceTwips(*box, 1320, top, 3120, 285);
        const map_outputs::ObjectBox which = kBoxes[i];
        connect(box, &QLineEdit::textEdited, this, [this, which](const QString& text) {
            if (browser_) {
                browser_->SetText(which, text.toStdString());
            }
        });
        label->setBuddy(box);
        boxes_[i] = box;
    }
    Text1 = boxes_[0];
    Text2 = boxes_[1];
    Text3 = boxes_[2];
    Text4 = boxes_[3];

    // The record navigation bar: first, previous, the position, next, last.
    const auto navButton = [this](const char* name, const QString& text, int left) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        PlaceTwips(*b, left, 1980, 420, 345);
        return b;
    };
    cmdFirst = navButton("cmdFirst", QStringLiteral("|<"), 240);
    cmdPrevious = navButton("cmdPrevious", QStringLiteral("<"), 660);
    cmdNext = navButton("cmdNext", QStringLiteral(">"), 3600);
    cmdLast = navButton("cmdLast", QStringLiteral(">|"), 4020);
    cmdFirst->setToolTip(QStringLiteral("First record"));
    cmdPrevious->setToolTip(QStringLiteral("Previous record"));
    cmdNext->setToolTip(QStringLiteral("Next record"));
    cmdLast->setToolTip(QStringLiteral("Last record"));
    lblRecord = new QLabel(this);
    lblRecord->setObjectName(QStringLiteral("lblRecord"));
    lblRecord->setAlignment(Qt::AlignCenter);
    lblRecord->setWordWrap(true);
    PlaceTwips(*lblRecord, 1080, 1980, 2520, 345);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    PlaceTwips(*OKButton, 3360, 2640, 1080, 375);

    connect(cmdFirst, &QPushButton::clicked, this,
            [this] { Navigate(&map_outputs::ObjectBrowser::MoveFirst); });
    connect(cmdPrevious, &QPushButton::clicked, this,
            [this] { Navigate(&map_outputs::ObjectBrowser::MovePrevious); });
    connect(cmdNext, &QPushButton::clicked, this,
            [this] { Navigate(&map_outputs::ObjectBrowser::MoveNext); });
    connect(cmdLast, &QPushButton::clicked, this,
            [this] { Navigate(&map_outputs::ObjectBrowser::MoveLast); });
    connect(OKButton, &QPushButton::clicked, this, &QWidget::close);
    Reload();
}

DataDialog::~DataDialog() = default;

void DataDialog::Reload() {
    browser_.reset();
    auto table = navData_.Table();
    if (!table) {
        ShowProblem(table.message());
        return;
    }
    browser_.emplace(**table);
    const core::Outcome opened = browser_->Open();
    if (!opened) {
        browser_.reset();
        ShowProblem(opened.message());
        return;
    }
    ShowRecord();
}

void DataDialog::Detach() {
    if (browser_) {
        ReportOutcome(this, browser_->SaveEdits());
    }
    browser_.reset();
}

void DataDialog::ShowProblem(const std::string& message) {
    for (QLineEdit* box : boxes_) {
        box->clear();
        box->setEnabled(false);
    }
    for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast}) {
        b->setEnabled(false);
    }
    lblRecord->setText(QString::fromStdString(message));
    lblRecord->setToolTip(QString::fromStdString(message));
}

void DataDialog::ShowRecord() {
    const bool hasRecord = browser_->Position() >= 0;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setEnabled(hasRecord);
        SetBoxText(*boxes_[i], QString::fromStdString(TextOf(browser_->Texts(), kBoxes[i])));
    }
    for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast}) {
        b->setEnabled(hasRecord);
    }
    lblRecord->setText(
        hasRecord
            ? QStringLiteral("Record %1 of %2").arg(browser_->Position() + 1).arg(browser_->RecordCount())
            : QStringLiteral("No records"));
    lblRecord->setToolTip(QString());
}

void DataDialog::Navigate(core::Outcome (map_outputs::ObjectBrowser::*step)()) {
    if (!browser_) {
        return;
    }
    const core::Outcome moved = ((*browser_).*step)();
    ShowRecord();
    ReportOutcome(this, moved);
}

void DataDialog::closeEvent(QCloseEvent* event) {
    if (browser_) {
        ReportOutcome(this, browser_->SaveEdits());
    }
    event->accept();
}

}  // namespace vantrel::ui
