#include "ui/calibrate_picture_dialog.hpp"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "core/number_text.hpp"
#include "geodesy/angle_text.hpp"
#include "geodesy/transverse_mercator.hpp"
#include "maps/world_file.hpp"
#include "persistence/atomic_file.hpp"
#include "platform/locations.hpp"
#include "platform/raster_map.hpp"
#include "ui/messages.hpp"

namespace vantrel::ui {
namespace {

constexpr double kWheelStep = 1.25;  // zoom factor per wheel notch
constexpr double kMinScale = 1.0 / 64, kMaxScale = 32;
constexpr int kMarkerRadius = 6;

}  // namespace

CalibrationPictureView::CalibrationPictureView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 240);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void CalibrationPictureView::SetPicture(const QImage& picture) {
    picture_ = picture;
    fitted_ = true;
    FitIntoWidget();
    update();
}

void CalibrationPictureView::SetPoints(std::vector<QPointF> points) {
    points_ = std::move(points);
    update();
}

void CalibrationPictureView::SetScale(double scale) {
    scale_ = std::clamp(scale, kMinScale, kMaxScale);
    offset_ = QPointF(0, 0);
    fitted_ = false;
    update();
}

QPointF CalibrationPictureView::PictureAt(QPointF widgetPosition) const {
    return scale_ > 0 ? (widgetPosition - offset_) / scale_ : QPointF();
}

QPointF CalibrationPictureView::WidgetAt(QPointF picturePosition) const {
    return picturePosition * scale_ + offset_;
}

void CalibrationPictureView::FitIntoWidget() {
    if (picture_.isNull() || !fitted_) {
        return;
    }
    scale_ = std::min(static_cast<double>(width()) / picture_.width(),
                      static_cast<double>(height()) / picture_.height());
    offset_ = QPointF((width() - picture_.width() * scale_) / 2, (height() - picture_.height() * scale_) / 2);
}

void CalibrationPictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitIntoWidget();
}

void CalibrationPictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (picture_.isNull()) {
        painter.setPen(palette().color(QPalette::BrightText));
        painter.drawText(
            rect(), Qt::AlignCenter,
            tr("Open a picture of a map, or paste one, then click points whose coordinates you know."));
        return;
    }
    painter.save();
    painter.translate(offset_);
    painter.scale(scale_, scale_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ < 1);
    painter.drawImage(QPointF(0, 0), picture_);
    painter.restore();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const QPointF at = WidgetAt(points_[i]);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawEllipse(at, kMarkerRadius, kMarkerRadius);
        painter.setPen(QPen(Qt::red, 1.5));
        painter.drawEllipse(at, kMarkerRadius, kMarkerRadius);
        painter.drawLine(at - QPointF(kMarkerRadius + 3, 0), at + QPointF(kMarkerRadius + 3, 0));
        painter.drawLine(at - QPointF(0, kMarkerRadius + 3), at + QPointF(0, kMarkerRadius + 3));
        const QString label = QString::number(i + 1);
        const QPointF textAt = at + QPointF(kMarkerRadius + 3, -kMarkerRadius - 3);
        painter.setPen(Qt::white);
        painter.drawText(textAt + QPointF(1, 1), label);
        painter.setPen(Qt::red);
        painter.drawText(textAt, label);
    }
}

void CalibrationPictureView::wheelEvent(QWheelEvent* event) {
    if (picture_.isNull() || event->angleDelta().y() == 0) {
        return;
    }
    const double factor = std::pow(kWheelStep, event->angleDelta().y() / 120.0);
    const QPointF cursor = event->position();
    const QPointF under = PictureAt(cursor);
    scale_ = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    offset_ = cursor - under * scale_;  // the picture point under the cursor stays there
    fitted_ = false;
    update();
}

void CalibrationPictureView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !picture_.isNull()) {
        // A click means the middle of the screen pixel under the cursor.
        const QPointF at = PictureAt(event->position() + QPointF(0.5, 0.5));
        if (at.x() >= 0 && at.y() >= 0 && at.x() <= picture_.width() && at.y() <= picture_.height()) {
            Q_EMIT Clicked(at);
        }
    } else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        dragFrom_ = event->position();
    }
}

void CalibrationPictureView::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_ && (event->buttons() & (Qt::RightButton | Qt::MiddleButton))) {
        offset_ += event->position() - *dragFrom_;
        dragFrom_ = event->position();
        fitted_ = false;
        update();
    }
}

CalibratePictureDialog::CalibratePictureDialog(geodesy::UtmZone huntZone, QWidget* parent)
    : QDialog(parent), huntZone_(huntZone) {
    setWindowTitle(tr("Calibrate Picture"));
    const QString separator = QLocale().decimalPoint();
    decimalSeparator_ = separator.size() == 1 && separator[0].unicode() < 128 ? separator[0].toLatin1() : '.';

    view = new CalibrationPictureView(this);
    openButton = new QPushButton(tr("&Open Picture..."), this);
    pasteButton = new QPushButton(tr("&Paste Picture"), this);
    removeButton = new QPushButton(tr("&Remove Point"), this);
    coordinateForm = new QComboBox(this);
    coordinateForm->addItem(
        tr("UTM easting / northing, zone %1").arg(QString::fromStdString(geodesy::ZoneText(huntZone))));
    coordinateForm->addItem(
        tr("Latitude / longitude (degrees as 52.52 or 52\u00B031'12.5\"N; south and west negative)"));
    pointTable = new QTableWidget(0, 6, this);
    pointTable->verticalHeader()->hide();
    pointTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    pointTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    fitLabel = new QLabel(this);
    fitLabel->setWordWrap(true);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Save Calibration"));

    auto* tools = new QHBoxLayout;
    tools->addWidget(openButton);
    tools->addWidget(pasteButton);
    tools->addStretch();
    tools->addWidget(new QLabel(tr("Coordinates:"), this));
    tools->addWidget(coordinateForm);
    auto* pointsRow = new QHBoxLayout;
    pointsRow->addWidget(pointTable, 1);
    pointsRow->addWidget(removeButton, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(view, 3);
    layout->addLayout(pointsRow, 1);
    layout->addWidget(fitLabel);
    layout->addWidget(buttons);
    resize(900, 760);

    // The keys of every desktop program: Ctrl+O, Ctrl+V, and Delete in the point table.
    openButton->setShortcut(QKeySequence::Open);
    pasteButton->setShortcut(QKeySequence::Paste);
    auto* deleteKey = new QShortcut(QKeySequence::Delete, pointTable);
    deleteKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(deleteKey, &QShortcut::activated, this, &CalibratePictureDialog::RemoveSelectedPoints);
    connect(openButton, &QPushButton::clicked, this, &CalibratePictureDialog::ChooseAndOpen);
    connect(pasteButton, &QPushButton::clicked, this, &CalibratePictureDialog::PasteFromClipboard);
    connect(removeButton, &QPushButton::clicked, this, &CalibratePictureDialog::RemoveSelectedPoints);
    connect(coordinateForm, &QComboBox::currentIndexChanged, this,
            &CalibratePictureDialog::ShowCoordinateForm);
    connect(view, &CalibrationPictureView::Clicked, this, &CalibratePictureDialog::AddPoint);
    connect(pointTable, &QTableWidget::cellChanged, this, [this] {
        if (!filling_) {
            Refit();
        }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CalibratePictureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CalibratePictureDialog::reject);
    ShowCoordinateForm();
}

QString CalibratePictureDialog::WorldFilePath(const QString& picturePath) {
    const QFileInfo info(picturePath);
    const QString suffix = info.suffix().toLower();
    QString extension = QStringLiteral("wld");
    if (suffix == QLatin1String("png")) {
        extension = QStringLiteral("pgw");
    } else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        extension = QStringLiteral("jgw");
    } else if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) {
        extension = QStringLiteral("tfw");
    }
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + extension);
}

bool CalibratePictureDialog::OpenPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);  // the world file counts stored pixels
    QImage picture = reader.read();
    if (picture.isNull()) {
        fitLabel->setText(tr("Cannot open the picture \"%1\": %2.")
                              .arg(QDir::toNativeSeparators(path), reader.errorString()));
        return false;
    }
    picturePath_ = path;
    picture_ = std::move(picture);
    view->SetPicture(picture_);
    filling_ = true;
    pointTable->setRowCount(0);
    filling_ = false;
    setWindowTitle(tr("Calibrate Picture - %1").arg(QFileInfo(path).fileName()));
    Refit();
    return true;
}

bool CalibratePictureDialog::UsePastedPicture(const QImage& picture, const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "PNG")) {
        fitLabel->setText(tr("The pasted picture cannot be stored as PNG."));
        return false;
    }
    const core::Outcome written = persistence::WriteFileAtomically(
        platform::ToPath(path), std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    if (!written) {
        fitLabel->setText(QString::fromStdString(written.message()));
        return false;
    }
    return OpenPicture(path);
}

void CalibratePictureDialog::ChooseAndOpen() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open a Picture of a Map"), QFileInfo(picturePath_).absolutePath(),
        tr("Pictures (*.png *.jpg *.jpeg *.tif *.tiff *.gif *.bmp);;All files (*)"));
    if (!path.isEmpty()) {
        OpenPicture(path);
    }
}

void CalibratePictureDialog::PasteFromClipboard() {
    const QImage picture = QApplication::clipboard()->image();
    if (picture.isNull()) {
        fitLabel->setText(tr("The clipboard holds no picture."));
        return;
    }
    // A calibration is written beside its picture, so the pasted picture needs a file first.
    QString path = QFileDialog::getSaveFileName(this, tr("Save the Pasted Picture as PNG"), QString(),
                                                tr("PNG pictures (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".png");
    }
    UsePastedPicture(picture, path);
}

void CalibratePictureDialog::AddPoint(QPointF position) {
    if (picture_.isNull()) {
        return;
    }
    filling_ = true;
    const int row = pointTable->rowCount();
    pointTable->insertRow(row);
    const auto fixed = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        return item;
    };
    pointTable->setItem(row, kColumnNumber, fixed(QString::number(row + 1)));
    pointTable->setItem(row, kColumnX, fixed(QString::number(position.x(), 'f', 1)));
    pointTable->setItem(row, kColumnY, fixed(QString::number(position.y(), 'f', 1)));
    pointTable->item(row, kColumnX)->setData(Qt::UserRole, position.x());
    pointTable->item(row, kColumnY)->setData(Qt::UserRole, position.y());
    pointTable->setItem(row, kColumnFirst, new QTableWidgetItem);
    pointTable->setItem(row, kColumnSecond, new QTableWidgetItem);
    pointTable->setItem(row, kColumnResidual, fixed(QString()));
    filling_ = false;
    pointTable->setCurrentCell(row, kColumnFirst);
    Refit();
}

void CalibratePictureDialog::RemoveSelectedPoints() {
    QList<int> rows;
    for (const QModelIndex& index : pointTable->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end(), std::greater<>());
    filling_ = true;
    for (int row : rows) {
        pointTable->removeRow(row);
    }
    for (int row = 0; row < pointTable->rowCount(); ++row) {
        pointTable->item(row, kColumnNumber)->setText(QString::number(row + 1));
    }
    filling_ = false;
    Refit();
}

void CalibratePictureDialog::ShowCoordinateForm() {
    const bool latLon = coordinateForm->currentIndex() == 1;
    pointTable->setHorizontalHeaderLabels(
        {tr("Point"), tr("Picture x"), tr("Picture y"), latLon ? tr("Latitude") : tr("Easting (m)"),
         latLon ? tr("Longitude") : tr("Northing (m)"), tr("Residual (m)")});
    Refit();
}

std::optional<std::vector<maps::ControlPoint>> CalibratePictureDialog::ReadPoints(QString& problem) const {
    const bool latLon = coordinateForm->currentIndex() == 1;
    std::vector<maps::ControlPoint> points;
    for (int row = 0; row < pointTable->rowCount(); ++row) {
        // Latitude and longitude as decimal degrees or degrees, minutes and seconds.
        const auto number = [&](int column) {
            const std::string text = pointTable->item(row, column)->text().toStdString();
            if (!latLon) {
                return core::ReadRegional(text, decimalSeparator_);
            }
            const auto axis =
                column == kColumnFirst ? geodesy::AngleAxis::Latitude : geodesy::AngleAxis::Longitude;
            return geodesy::ReadAngle(text, axis, decimalSeparator_);
        };
        const std::optional<double> first = number(kColumnFirst);
        const std::optional<double> second = number(kColumnSecond);
        const QString firstName = latLon ? tr("latitude") : tr("easting");
        const QString secondName = latLon ? tr("longitude") : tr("northing");
        if (!first || !second) {
            problem =
                pointTable->item(row, !first ? kColumnFirst : kColumnSecond)->text().trimmed().isEmpty()
                    ? tr("Type the %1 of point %2.").arg(!first ? firstName : secondName).arg(row + 1)
                    : (latLon ? tr("The %1 of point %2 is not an angle (52.52, 52\u00B031'12.5\"N or 52 31 "
                                   "12.5 N).")
                              : tr("The %1 of point %2 is not a number."))
                          .arg(!first ? firstName : secondName)
                          .arg(row + 1);
            return std::nullopt;
        }
        maps::ControlPoint point;
        point.column = pointTable->item(row, kColumnX)->data(Qt::UserRole).toDouble();
        point.row = pointTable->item(row, kColumnY)->data(Qt::UserRole).toDouble();
        if (latLon) {
            if (std::abs(*first) > 84 || std::abs(*second) > 180) {
                problem = tr("Point %1 has a latitude beyond 84 degrees or a longitude beyond 180 degrees.")
                              .arg(row + 1);
                return std::nullopt;
            }
            const core::PlanePoint utm = geodesy::ZoneLatLonToUtm(huntZone_, *first, *second);
            point.x = utm.x;
            point.y = utm.y;
        } else {
            point.x = *first;
            point.y = *second;
        }
        points.push_back(point);
    }
    return points;
}

void CalibratePictureDialog::Refit() {
    fit_.reset();
    QString problem;
    if (picture_.isNull()) {
        problem = tr("Open a picture of a map or paste one.");
    } else if (pointTable->rowCount() < 2) {
        problem =
            tr("Click at least 2 points on the picture whose coordinates you know (3 or more to see how well "
               "they agree), and type their coordinates below.");
    } else if (const auto points = ReadPoints(problem)) {
        const core::Result<maps::CalibrationFit> fitted = maps::FitCalibration(*points);
        if (fitted) {
            fit_ = *fitted;
        } else {
            problem = QString::fromStdString(fitted.message());
            problem[0] = problem[0].toUpper();
            problem += QLatin1Char('.');
        }
    }
    std::vector<QPointF> marks;
    for (int row = 0; row < pointTable->rowCount(); ++row) {
        marks.emplace_back(pointTable->item(row, kColumnX)->data(Qt::UserRole).toDouble(),
                           pointTable->item(row, kColumnY)->data(Qt::UserRole).toDouble());
    }
    view->SetPoints(std::move(marks));
    ShowResiduals();
    MarkBadCells();
    fitLabel->setText(fit_ ? QString::fromStdString(maps::DescribeFit(*fit_)) + QLatin1Char('.') : problem);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(fit_.has_value());
}

void CalibratePictureDialog::ShowResiduals() {
    filling_ = true;
    for (int row = 0; row < pointTable->rowCount(); ++row) {
        QTableWidgetItem* item = pointTable->item(row, kColumnResidual);
        const bool known = fit_ && static_cast<std::size_t>(row) < fit_->residuals.size();
        item->setText(known ? QString::fromStdString(core::FormatPattern(
                                  fit_->residuals[static_cast<std::size_t>(row)], "0.0", decimalSeparator_))
                            : QString());
        QFont font = item->font();
        font.setBold(known && fit_->residuals.size() > 3 && static_cast<std::size_t>(row) == fit_->worst);
        item->setFont(font);
    }
    filling_ = false;
}

void CalibratePictureDialog::MarkBadCells() {
    const bool latLon = coordinateForm->currentIndex() == 1;
    filling_ = true;
    for (int row = 0; row < pointTable->rowCount(); ++row) {
        for (const int column : {kColumnFirst, kColumnSecond}) {
            QTableWidgetItem* item = pointTable->item(row, column);
            const QString text = item->text().trimmed();
            const auto value = core::ReadRegional(text.toStdString(), decimalSeparator_);
            const double limit = column == kColumnFirst ? 84 : 180;
            QString problem;
            if (!text.isEmpty() && !value) {
                problem = tr("Not a number");
            } else if (value && latLon && std::abs(*value) > limit) {
                problem = tr("Beyond %1 degrees").arg(limit);
            }
            item->setBackground(problem.isEmpty() ? QBrush() : QBrush(QColor(255, 205, 205)));
            item->setToolTip(problem);
        }
    }
    filling_ = false;
}

void CalibratePictureDialog::accept() {
    if (!fit_ || picturePath_.isEmpty()) {
        return;
    }
    const QString worldFile = WorldFilePath(picturePath_);
    const QString prj = QFileInfo(picturePath_)
                            .dir()
                            .filePath(QFileInfo(picturePath_).completeBaseName() + QStringLiteral(".prj"));
    core::Outcome written =
        persistence::WriteFileAtomically(platform::ToPath(worldFile), maps::WorldFileText(fit_->transform));
    if (written) {
        const core::Result<std::string> prjText = platform::UtmZonePrjText(huntZone_);
        written =
            prjText ? persistence::WriteFileAtomically(platform::ToPath(prj), *prjText) : prjText.outcome();
    }
    if (!ReportOutcome(this, written)) {
        return;
    }
    QDialog::accept();
}

}  // namespace vantrel::ui
