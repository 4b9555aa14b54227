#include "hunt_picture/settle_plot.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <string>

#include "hunt_picture/picture_palette.hpp"

namespace vantrel::hunt_picture {
namespace {

constexpr int kLeft = 90;  // room for the metre labels and the axis title
constexpr int kRight = 24;
constexpr int kTop = 40;     // the panel's title
constexpr int kBottom = 46;  // the minute labels and the axis title
constexpr int kMinPanel = 120;

// The decades spanned by the values: [10^low, 10^high].
struct Decades {
    int low = 0;
    int high = 1;
};

Decades DecadesOf(const fox_fix::SettleSeries& s) {
    double least = 1e300;
    double most = 0;
    for (const fox_fix::SettlePoint& p : s.points) {
        for (const double v : {p.distance, p.semiMajor}) {
            if (std::isfinite(v) && v > 0) {
                least = std::min(least, v);
                most = std::max(most, v);
            }
        }
    }
    if (most == 0) {
        return {};
    }
    Decades d{static_cast<int>(std::floor(std::log10(std::max(least, 0.01)))),
              static_cast<int>(std::ceil(std::log10(most)))};
    d.high = std::max(d.high, d.low + 1);
    return d;
}

QString MetreText(int decade) {
    if (decade >= 3) {
        return QString::number(std::pow(10.0, decade - 3), 'f', 0) + QStringLiteral(" km");
    }
    return QString::number(std::pow(10.0, decade), 'f', decade < 0 ? -decade : 0) + QStringLiteral(" m");
}

// Minutes between labelled ticks: about six ticks over the span.
double TickMinutes(double spanMinutes) {
    for (const double step : {0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 240.0}) {
        if (spanMinutes / step <= 8) {
            return step;
        }
    }
    return 480;
}

class Panel {
  public:
    Panel(QPainter& p, QRect plot, double spanMinutes, Decades decades)
        : p_(p), plot_(plot), span_(std::max(spanMinutes, 1e-3)), decades_(decades) {}

    [[nodiscard]] QPointF At(double minutes, double metres) const {
        const double clamped = std::max(metres, std::pow(10.0, decades_.low));
        const double share = (std::log10(clamped) - decades_.low) / (decades_.high - decades_.low);
        return {plot_.left() + minutes / span_ * plot_.width(), plot_.bottom() - share * plot_.height()};
    }

    void Axes(const Palette& palette) {
        p_.setPen(QPen(palette.gridLine, 1));
        for (int d = decades_.low; d <= decades_.high; ++d) {
            const double y = At(0, std::pow(10.0, d)).y();
            p_.drawLine(QPointF(plot_.left(), y), QPointF(plot_.right(), y));
            p_.setPen(palette.text);
            p_.drawText(QRectF(0, y - 10, kLeft - 8, 20), Qt::AlignRight | Qt::AlignVCenter, MetreText(d));
            p_.setPen(QPen(palette.gridLine, 1));
        }
        const double step = TickMinutes(span_);
        for (double m = 0; m <= span_ + 1e-9; m += step) {
            const double x = At(m, 1).x();
            p_.drawLine(QPointF(x, plot_.top()), QPointF(x, plot_.bottom()));
            p_.setPen(palette.text);
            p_.drawText(QRectF(x - 40, plot_.bottom() + 4, 80, 18), Qt::AlignHCenter | Qt::AlignTop,
                        QString::number(m, 'f', step < 1 ? 1 : 0));
            p_.setPen(QPen(palette.gridLine, 1));
        }
        p_.setPen(QPen(palette.text, 1));
        p_.drawRect(plot_);
    }

    void Line(const std::vector<QPointF>& points, QPen pen) {
        if (points.size() < 2) {
            for (const QPointF& point : points) {
                p_.setPen(pen);
                p_.drawEllipse(point, 2, 2);
            }
            return;
        }
        QPainterPath path(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) {
            path.lineTo(points[i]);
        }
        p_.strokePath(path, pen);
    }

  private:
    QPainter& p_;
    QRect plot_;
    double span_;
    Decades decades_;
};

QString Title(const fox_fix::SettleSeries& s, double confidence) {
    const QString reference =
        s.againstTruth ? QStringLiteral("the true fox") : QStringLiteral("the final fix");
    return QStringLiteral(
               "Fox %1: distance of the fix from %2 (solid), semi-major axis of its %3 % ellipse "
               "(dashed)")
        .arg(s.fox)
        .arg(reference)
        .arg(QString::number(confidence * 100, 'g', 3));
}

}  // namespace

QImage DrawSettlePlot(const std::vector<fox_fix::SettleSeries>& series, QSize size,
                      const SettlePlotLabels& labels) {
    const int panels = std::max<int>(1, static_cast<int>(series.size()));
    const int panelHeight = std::max(kMinPanel + kTop + kBottom, size.height() / panels);
    QImage image(std::max(size.width(), 400), panelHeight * panels, QImage::Format_RGB32);
    const Palette& palette = DayPalette();
    image.fill(palette.background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    hunt_log::TimeMs end = labels.start;
    for (const fox_fix::SettleSeries& s : series) {
        end = std::max(end, s.points.back().time);
    }
    const double span = static_cast<double>(end - labels.start) / 60'000;
    const QString start = QString::fromStdString(hunt_log::UtcText(labels.start).substr(11, 8));
    for (int i = 0; i < static_cast<int>(series.size()); ++i) {
        const fox_fix::SettleSeries& s = series[static_cast<std::size_t>(i)];
        const int top = i * panelHeight;
        const QRect plot(kLeft, top + kTop, image.width() - kLeft - kRight, panelHeight - kTop - kBottom);
        Panel panel(p, plot, span, DecadesOf(s));
        panel.Axes(palette);
        p.setPen(palette.FoxText(s.fox));
        p.drawText(QRectF(kLeft, top + 8, plot.width(), 24), Qt::AlignLeft | Qt::AlignVCenter,
                   Title(s, labels.confidence));
        p.setPen(palette.text);
        p.drawText(QRectF(kLeft, plot.bottom() + 22, plot.width(), 20), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("minutes after %1 UTC").arg(start));
        p.save();
        p.translate(14, plot.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-plot.height() / 2.0, -10, plot.height(), 20), Qt::AlignCenter,
                   QStringLiteral("metres (log scale)"));
        p.restore();
        std::vector<QPointF> distance;
        std::vector<QPointF> semiMajor;
        for (const fox_fix::SettlePoint& point : s.points) {
            const double minutes = static_cast<double>(point.time - labels.start) / 60'000;
            distance.push_back(panel.At(minutes, point.distance));
            if (std::isfinite(point.semiMajor)) {
                semiMajor.push_back(panel.At(minutes, point.semiMajor));
            }
        }
        p.setClipRect(plot);
        panel.Line(semiMajor, QPen(palette.Fox(s.fox, 200), 2, Qt::DashLine));
        panel.Line(distance, QPen(palette.Fox(s.fox), 2));
        p.setClipping(false);
    }
    return image;
}

}  // namespace vantrel::hunt_picture
