#include "scanner/spectrum_plot.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <limits>

namespace scanner {
namespace {

// Room for the axis labels around the curves.
constexpr double kLeftMargin = 44;
constexpr double kRightMargin = 8;
constexpr double kTopMargin = 18;
constexpr double kBottomMargin = 30;

bool finite_point(const QPointF& p) {
  return std::isfinite(p.x()) && std::isfinite(p.y());
}

QString spectrum_name(int spectra, int s) {
  if (spectra == 3) {
    static const QStringList kNames{QStringLiteral("R glass side"),
                                    QStringLiteral("R coating side"), QStringLiteral("T")};
    return kNames[s];
  }
  return QStringLiteral("spectrum %1").arg(s + 1);
}

}  // namespace

bool plotted_spectra::empty() const {
  for (const QList<QPointF>& curve : curves) {
    for (const QPointF& p : curve) {
      if (finite_point(p)) return false;
    }
  }
  return true;
}

plotted_spectra spectra_of(const basics::scan_data& record, int position) {
  plotted_spectra spectra;
  if (position < 0 || position >= record.no_positions) return spectra;
  const int spectra_count = qMax(0, record.no_spectra);
  for (int s = 0; s < spectra_count; ++s) {
    if (s >= record.x_min.size() || s >= record.x_max.size() || s >= record.no_points.size()) {
      break;
    }
    const int points = qBound(0, record.no_points[s], qMax(0, record.max_no_points));
    const double first = record.x_min[s];
    const double step = points > 1 ? (double(record.x_max[s]) - first) / (points - 1) : 0.0;
    QList<QPointF> curve;
    for (int w = 0; w < points; ++w) {
      const qint64 index =
          qint64(record.max_no_points) * (qint64(position) * record.no_spectra + s) + w;
      if (index < 0 || index >= record.spectral_data.size()) break;
      curve.append(QPointF(first + w * step, record.spectral_data[index]));
    }
    spectra.names << spectrum_name(spectra_count, s);
    spectra.curves << curve;
  }
  return spectra;
}

plot_ranges ranges_of(const plotted_spectra& spectra) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  double x_min = inf, x_max = -inf, y_min = inf, y_max = -inf;
  for (const QList<QPointF>& curve : spectra.curves) {
    for (const QPointF& p : curve) {
      if (!finite_point(p)) continue;
      x_min = qMin(x_min, p.x());
      x_max = qMax(x_max, p.x());
      y_min = qMin(y_min, p.y());
      y_max = qMax(y_max, p.y());
    }
  }
  if (x_min > x_max) return {};
  const auto widen = [](double& low, double& high) {
    if (high > low) return;
    const double half = qMax(std::abs(low) * 0.05, 0.5);
    low -= half;
    high += half;
  };
  widen(x_min, x_max);
  widen(y_min, y_max);
  return {x_min, x_max, y_min, y_max};
}

QList<plot_line> plot_lines(const plotted_spectra& spectra, const QRectF& area) {
  const plot_ranges r = ranges_of(spectra);
  // Halved first: the difference of two far apart finite values could
  // overflow.
  const auto share = [](double v, double low, double high) {
    return (v / 2 - low / 2) / (high / 2 - low / 2);
  };
  const auto to_area = [&](const QPointF& p) {
    return QPointF(area.left() + share(p.x(), r.x_min, r.x_max) * area.width(),
                   area.bottom() - share(p.y(), r.y_min, r.y_max) * area.height());
  };
  QList<plot_line> lines;
  for (int c = 0; c < spectra.curves.size(); ++c) {
    plot_line run{c, {}};
    for (const QPointF& p : spectra.curves[c]) {
      if (finite_point(p)) {
        run.points << to_area(p);
        continue;
      }
      if (!run.points.isEmpty()) lines << run;
      run.points.clear();
    }
    if (!run.points.isEmpty()) lines << run;
  }
  return lines;
}

QColor curve_colour(int index) {
  static const QColor kColours[] = {QColor(200, 30, 30), QColor(30, 110, 200), QColor(20, 140, 60),
                                    QColor(160, 80, 180)};
  return kColours[index % 4];
}

spectrum_plot::spectrum_plot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("spectrum_plot"));
  setMinimumSize(200, 140);
}

void spectrum_plot::show_spectra(plotted_spectra spectra) {
  spectra_ = std::move(spectra);
  update();
}

QRectF spectrum_plot::plot_area() const {
  return QRectF(kLeftMargin, kTopMargin, qMax(1.0, width() - kLeftMargin - kRightMargin),
                qMax(1.0, height() - kTopMargin - kBottomMargin));
}

void spectrum_plot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QRectF area = plot_area();
  painter.setPen(Qt::black);
  painter.drawText(QRectF(kLeftMargin, 0, width() - kLeftMargin, kTopMargin),
                   Qt::AlignLeft | Qt::AlignVCenter, spectra_.title);
  if (spectra_.empty()) {
    painter.setPen(Qt::gray);
    painter.drawRect(area);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No spectra yet"));
    return;
  }
  draw_axes(painter, area, ranges_of(spectra_));
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const plot_line& line : plot_lines(spectra_, area)) {
    painter.setPen(QPen(curve_colour(line.curve), 1));
    if (line.points.size() == 1) {
      painter.drawPoint(line.points.first());
    } else {
      painter.drawPolyline(line.points);
    }
  }
  draw_legend(painter, area);
}

void spectrum_plot::draw_axes(QPainter& painter, const QRectF& area, const plot_ranges& r) {
  painter.setPen(Qt::black);
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.drawLine(area.bottomLeft(), area.topLeft());
  const QFontMetricsF metrics(painter.font());
  for (int i = 0; i <= 4; ++i) {
    const double x = area.left() + area.width() * i / 4;
    const double value = r.x_min * (1 - i / 4.0) + r.x_max * (i / 4.0);
    painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3));
    const QString label = QString::number(value, 'f', 0);
    painter.drawText(
        QPointF(x - metrics.horizontalAdvance(label) / 2, area.bottom() + 4 + metrics.ascent()),
        label);
  }
  painter.drawText(QRectF(area.left(), area.bottom() + 4, area.width(), kBottomMargin - 4),
                   Qt::AlignRight | Qt::AlignBottom, QStringLiteral("wavelength [nm]"));
  for (const double value : {r.y_min, r.y_max}) {
    const double y = value == r.y_min ? area.bottom() : area.top();
    painter.drawText(QRectF(0, y - metrics.height() / 2, kLeftMargin - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(value, 'g', 4));
  }
}

void spectrum_plot::draw_legend(QPainter& painter, const QRectF& area) {
  const QFontMetricsF metrics(painter.font());
  double x = area.right();
  for (int c = int(spectra_.names.size()) - 1; c >= 0; --c) {
    const QString& name = spectra_.names[c];
    x -= metrics.horizontalAdvance(name) + 8;
    painter.setPen(curve_colour(c));
    painter.drawText(QPointF(x, area.top() + metrics.ascent() + 2), name);
  }
}

}  // namespace scanner
