#include "ui/frm_angle.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "ui/box_text.hpp"
#include "ui/main_frm.hpp"
#include "ui/picture_box.hpp"
#include "ui/status_notes.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {

frmAngle::frmAngle(MainFrm& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("frmAngle"));
    setWindowTitle(QStringLiteral("Angle Measurement"));
    setFixedSize(TwipsToPixels(*this, 9000), TwipsToPixels(*this, 6660));

    Pict = new PictureBox(QSize(TwipsToPixels(*this, 9000), TwipsToPixels(*this, 6000)), this);
    Pict->setObjectName(QStringLiteral("Pict"));
    Pict->move(0, 0);
    Pict->SetHint(AngleWithoutPictureHint());

    txtAngle = new QLineEdit(this);
    txtAngle->setObjectName(QStringLiteral("txtAngle"));
    PlaceTwips(*txtAngle, 120, 6150, 1035, 285);
    auto* degree = new QLabel(QStringLiteral("\u00B0"), this);
    PlaceTwips(*degree, 1200, 6180);

    const auto button = [this](const char* name, const QString& text, int left, int width) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        PlaceTwips(*b, left, 6105, width, 375);
        return b;
    };
    cmdInsClpbd = button("cmdInsClpbd", QStringLiteral("Insert Clipboard"), 1560, 1695);
    cmdUpdSc1 = button("cmdUpdSc1", QStringLiteral("Update Sced 1"), 3360, 1575);
    cmdUpdSc2 = button("cmdUpdSc2", QStringLiteral("Update Sced 2"), 5040, 1575);
    cmdReady = button("cmdReady", QStringLiteral("Ready"), 7560, 1335);

    connect(cmdInsClpbd, &QPushButton::clicked, this, &frmAngle::InsertClipboard);
    connect(cmdUpdSc1, &QPushButton::clicked, this, [this] { UpdateStation(1); });
    connect(cmdUpdSc2, &QPushButton::clicked, this, [this] { UpdateStation(2); });
    connect(cmdReady, &QPushButton::clicked, this, &QWidget::close);
    connect(Pict, &PictureBox::Pressed, this, [this](QPointF position) { Press(position); });
    connect(Pict, &PictureBox::Moved, this, &frmAngle::Move);
}

void frmAngle::InsertClipboard() {
    const QImage picture = QGuiApplication::clipboard()->image();
    if (!picture.isNull()) {  // no picture on the clipboard: keep the current one
        Pict->SetPicture(picture);
    }
}

void frmAngle::Press(QPointF position) {
    measurement_.Press(static_cast<float>(position.x()), static_cast<float>(position.y()));
}

void frmAngle::Move(QPointF position) {
    const auto result = measurement_.Move(static_cast<float>(position.x()), static_cast<float>(position.y()));
    if (result.xorLines.empty()) {
        return;
    }
    {
        // Exclusive-or with cyan: drawing the same line again restores the picture exactly.
        QPainter painter(&Pict->BeginDrawing());
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(QColor(0, 255, 255), 0, Qt::SolidLine));
        for (const picture_tools::Segment& s : result.xorLines) {
            painter.drawLine(QPointF(s.x0, s.y0), QPointF(s.x1, s.y1));
        }
    }
    Pict->EndDrawing();
    if (result.angle) {
        SetBoxText(*txtAngle,
                   QString::fromStdString(picture_tools::AngleText(*result.angle, main_.DecimalSeparator())));
    }
}

void frmAngle::UpdateStation(int station) {
    (station == 1 ? main_.State().Sced1Ang : main_.State().Sced2Ang) = txtAngle->text().toStdString();
    main_.RefreshFromState();
}

}  // namespace vantrel::ui
