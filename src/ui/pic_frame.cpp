#include "ui/pic_frame.hpp"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>

#include "picture_tools/rays.hpp"
#include "ui/picture_box.hpp"
#include "ui/status_notes.hpp"
#include "ui/twips.hpp"

namespace vantrel::ui {

PicFrame::PicFrame(const persistence::ProgramState& program, QWidget* parent)
    : QMainWindow(parent), program_(program) {
    setObjectName(QStringLiteral("PicFrame"));
    setWindowTitle(QStringLiteral("Vantrel - Angles"));
    auto* client = new QWidget(this);
    setCentralWidget(client);
    client->setMinimumSize(1, 1);
    resize(TwipsToPixels(*this, 9060), TwipsToPixels(*this, 5985) + menuBar()->sizeHint().height());

    // The picture box is larger than the client area; the window cuts it off.
    PicBox = new PictureBox(QSize(TwipsToPixels(*this, 11415), TwipsToPixels(*this, 6975)), client);
    PicBox->setObjectName(QStringLiteral("PicBox"));
    PicBox->move(0, 0);
    PicBox->SetPicture(QGuiApplication::clipboard()->image());
    PicBox->SetHint(RaysWithoutPictureHint());

    mnuSetS1 = menuBar()->addAction(QStringLiteral("Set S&1"));
    mnuSetS1->setObjectName(QStringLiteral("mnuSetS1"));
    mnuSetS2 = menuBar()->addAction(QStringLiteral("Set S&2"));
    mnuSetS2->setObjectName(QStringLiteral("mnuSetS2"));
    connect(mnuSetS1, &QAction::triggered, this, [this] { RaysStation = 1; });
    connect(mnuSetS2, &QAction::triggered, this, [this] { RaysStation = 2; });
    connect(PicBox, &PictureBox::Pressed, this, [this](QPointF position) { MouseDown(position); });
}

void PicFrame::MouseDown(QPointF position) {
    if (RaysStation != 1 && RaysStation != 2) {
        return;
    }
    const persistence::ScedRecord& station = RaysStation == 1 ? program_.ScedRec1 : program_.ScedRec2;
    // The geometry works in twips of the client area, read at every click.
    const QWidget& client = *centralWidget();
    const double w = PixelsToTwips(client, client.width());
    const double h = PixelsToTwips(client, client.height());
    const auto x = static_cast<float>(PixelsToTwips(client, position.x()));
    const auto y = static_cast<float>(PixelsToTwips(client, position.y()));
    const double pixelsPerTwip = 1 / PixelsToTwips(client, 1);
    {
        QPainter painter(&PicBox->BeginDrawing());
        for (const picture_tools::Ray& ray : picture_tools::StationRays(station, x, y, w, h)) {
            const QColor colour(ray.colour.r, ray.colour.g, ray.colour.b);
            painter.setPen(QPen(colour, ray.width, Qt::SolidLine, Qt::RoundCap));
            const auto pixels = [pixelsPerTwip](float twips) {
                return static_cast<double>(twips) * pixelsPerTwip;
            };
            painter.drawLine(QPointF(pixels(ray.x0), pixels(ray.y0)),
                             QPointF(pixels(ray.end.x), pixels(ray.end.y)));
        }
    }
    PicBox->EndDrawing();
    PicBox->repaint();  // shows the rays at once
}

}  // namespace vantrel::ui
