#include "scanner/spectrum_plot.h"

#include <QByteArray>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <limits>

namespace scanner {
namespace {

// Room for the labels around the curves: values on the left of each panel,
// title and legend above, wavelengths and their name below.
constexpr double kLeftMargin = 44;
constexpr double kRightMargin = 8;
constexpr double kTitleHeight = 16;
constexpr double kLegendHeight = 16;
constexpr double kBottomMargin = 30;
constexpr double kTickLength = 3;
constexpr int kMostValueSteps = 5;
constexpr int kMostWavelengthSteps = 6;

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

// Curves 0 ... count - 1.
QList<int> curves_up_to(qsizetype count) {
  QList<int> all;
  for (int c = 0; c < count; ++c) all << c;
  return all;
}

// Halved first: the difference of two far apart finite values could
// overflow.
double share(double v, double low, double high) {
  return (v / 2 - low / 2) / (high / 2 - low / 2);
}

// 10 to the power `exponent`, the double nearest to it on every system:
// MinGW's pow() misses it by a few units in the last place for most
// exponents, which put a scale's ends beside their round numbers.
double power_of_ten(int exponent) {
  return (QByteArrayLiteral("1e") + QByteArray::number(exponent)).toDouble();
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

QList<plot_panel> panels_of(const plotted_spectra& spectra) {
  if (!spectra.panels.isEmpty()) return spectra.panels;
  return {{QStringLiteral("value"), curves_up_to(spectra.curves.size())}};
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
  if (spectra.curves.size() == 3) {
    spectra.panels = {{QStringLiteral("R [%]"), {0, 1}}, {QStringLiteral("T [%]"), {2}}};
  }
  return spectra;
}

plot_ranges ranges_of(const plotted_spectra& spectra) {
  return ranges_of(spectra, curves_up_to(spectra.curves.size()));
}

plot_ranges ranges_of(const plotted_spectra& spectra, const QList<int>& curves) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  double x_min = inf, x_max = -inf, y_min = inf, y_max = -inf;
  for (const int c : curves) {
    if (c < 0 || c >= spectra.curves.size()) continue;
    for (const QPointF& p : spectra.curves[c]) {
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

QList<double> axis_scale::ticks() const {
  constexpr int kMostTicks = 50;
  if (!(step > 0) || (high / 2 - low / 2) / step * 2 > kMostTicks) return {low, high};
  // Halved, as share() is: far apart ends would overflow.
  const auto tick = [this](int i) { return (low / 2 + i * (step / 2)) * 2; };
  QList<double> values;
  for (int i = 0; tick(i) <= high + step / 1000; ++i) values << tick(i);
  return values;
}

QString axis_scale::label(double value) const {
  const int decimals = step > 0 && step < 1 ? qBound(0, int(std::ceil(-std::log10(step))), 6) : 0;
  // Rounding may leave "-0".
  if (std::abs(value) < step / 1000) value = 0;
  return QString::number(value, 'f', decimals);
}

axis_scale round_scale(double low, double high, int most_steps) {
  const double raw = (high / 2 - low / 2) / qMax(1, most_steps) * 2;
  if (!std::isfinite(raw) || !(raw > 0)) return {low, high, 0};
  const double magnitude = power_of_ten(int(std::floor(std::log10(raw))));
  double step = 10 * magnitude;
  for (const double multiple : {1.0, 2.0, 5.0}) {
    if (multiple * magnitude >= raw * (1 - 1e-9)) {
      step = multiple * magnitude;
      break;
    }
  }
  const axis_scale scale{std::floor(low / step) * step, std::ceil(high / step) * step, step};
  if (!std::isfinite(scale.low) || !std::isfinite(scale.high)) return {low, high, 0};
  return scale;
}

axis_scale value_scale(const plotted_spectra& spectra, const plot_panel& panel) {
  const plot_ranges r = ranges_of(spectra, panel.curves);
  return round_scale(r.y_min, r.y_max, kMostValueSteps);
}

QList<QRectF> panel_areas(int panels, const QRectF& area) {
  const int count = qMax(1, panels);
  const double gap = count > 1 ? kLeftMargin : 0;
  const double width = qMax(1.0, (area.width() - gap * (count - 1)) / count);
  QList<QRectF> areas;
  for (int i = 0; i < count; ++i) {
    areas << QRectF(area.left() + i * (width + gap), area.top(), width, area.height());
  }
  return areas;
}

QList<plot_line> plot_lines(const plotted_spectra& spectra, const QRectF& area) {
  const plot_ranges x = ranges_of(spectra);
  const QList<plot_panel> panels = panels_of(spectra);
  const QList<QRectF> areas = panel_areas(int(panels.size()), area);
  QList<plot_line> lines;
  for (int p = 0; p < panels.size(); ++p) {
    const axis_scale y = value_scale(spectra, panels[p]);
    const QRectF& part = areas[p];
    const auto to_area = [&](const QPointF& point) {
      return QPointF(part.left() + share(point.x(), x.x_min, x.x_max) * part.width(),
                     part.bottom() - share(point.y(), y.low, y.high) * part.height());
    };
    for (const int c : panels[p].curves) {
      if (c < 0 || c >= spectra.curves.size()) continue;
      plot_line run{c, {}};
      for (const QPointF& point : spectra.curves[c]) {
        if (finite_point(point)) {
          run.points << to_area(point);
          continue;
        }
        if (!run.points.isEmpty()) lines << run;
        run.points.clear();
      }
      if (!run.points.isEmpty()) lines << run;
    }
  }
  return lines;
}

QList<axis_label> wavelength_labels(const plot_ranges& ranges, const QRectF& panel, double width,
                                    const QFontMetricsF& metrics) {
  const axis_scale scale = round_scale(ranges.x_min, ranges.x_max, kMostWavelengthSteps);
  QList<axis_label> labels;
  for (const double value : scale.ticks()) {
    // Round ticks outside the measured range are not drawn.
    if (value < ranges.x_min - scale.step / 1000 || value > ranges.x_max + scale.step / 1000) {
      continue;
    }
    const QString text = scale.label(value);
    const double centre = panel.left() + share(value, ranges.x_min, ranges.x_max) * panel.width();
    const double text_width = metrics.horizontalAdvance(text);
    // The last label would run off the widget's edge.
    const double left = qBound(0.0, centre - text_width / 2, qMax(0.0, width - text_width - 1));
    labels << axis_label{
        text, centre, QRectF(left, panel.bottom() + kTickLength + 1, text_width, metrics.height())};
  }
  return labels;
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
  const double top = kTitleHeight + kLegendHeight;
  return QRectF(kLeftMargin, top, qMax(1.0, width() - kLeftMargin - kRightMargin),
                qMax(1.0, height() - top - kBottomMargin));
}

void spectrum_plot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QRectF area = plot_area();
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(painter.font());
  painter.drawText(QRectF(kLeftMargin, 0, width() - kLeftMargin, kTitleHeight),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(spectra_.title, Qt::ElideRight, width() - kLeftMargin));
  if (spectra_.empty()) {
    painter.setPen(Qt::gray);
    painter.drawRect(area);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No spectra yet"));
    return;
  }
  const plot_ranges x = ranges_of(spectra_);
  const QList<plot_panel> panels = panels_of(spectra_);
  const QList<QRectF> areas = panel_areas(int(panels.size()), area);
  for (int p = 0; p < panels.size(); ++p) draw_panel(painter, panels[p], areas[p], x);
  draw_legend(painter);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const plot_line& line : plot_lines(spectra_, area)) {
    painter.setPen(QPen(curve_colour(line.curve), 1));
    if (line.points.size() == 1) {
      painter.drawPoint(line.points.first());
    } else {
      painter.drawPolyline(line.points);
    }
  }
}

void spectrum_plot::draw_panel(QPainter& painter, const plot_panel& panel, const QRectF& area,
                               const plot_ranges& x) {
  const QFontMetricsF metrics(painter.font());
  const axis_scale y = value_scale(spectra_, panel);
  // Grid lines at the value ticks, so a value can be read off anywhere.
  for (const double value : y.ticks()) {
    const double at = area.bottom() - share(value, y.low, y.high) * area.height();
    painter.setPen(QColor(225, 225, 225));
    painter.drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(area.left() - kTickLength, at), QPointF(area.left(), at));
    painter.drawText(QRectF(area.left() - kLeftMargin, at - metrics.height() / 2,
                            kLeftMargin - kTickLength - 2, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, y.label(value));
  }
  painter.setPen(Qt::black);
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.drawLine(area.bottomLeft(), area.topLeft());
  for (const axis_label& label : wavelength_labels(x, area, width(), metrics)) {
    painter.drawLine(QPointF(label.tick, area.bottom()),
                     QPointF(label.tick, area.bottom() + kTickLength));
    painter.drawText(label.rect, Qt::AlignLeft | Qt::AlignTop, label.text);
  }
  painter.drawText(QRectF(area.left(), area.bottom(), area.width(), kBottomMargin),
                   Qt::AlignRight | Qt::AlignBottom, QStringLiteral("wavelength [nm]"));
  draw_axis_name(painter, panel.axis, area);
}

void spectrum_plot::draw_legend(QPainter& painter) {
  const QFontMetricsF metrics(painter.font());
  const double baseline = kTitleHeight + (kLegendHeight + metrics.ascent()) / 2 - 1;
  double x = kLeftMargin;
  for (int c = 0; c < spectra_.names.size(); ++c) {
    painter.fillRect(QRectF(x, baseline - metrics.ascent() / 2 - 1, 12, 3), curve_colour(c));
    x += 16;
    painter.setPen(curve_colour(c));
    painter.drawText(QPointF(x, baseline), spectra_.names[c]);
    x += metrics.horizontalAdvance(spectra_.names[c]) + 14;
  }
}

void spectrum_plot::draw_axis_name(QPainter& painter, const QString& name, const QRectF& area) {
  // Upright along the value axis, left of its labels.
  painter.save();
  painter.setPen(Qt::black);
  painter.translate(area.left() - kLeftMargin + 1, area.center().y());
  painter.rotate(-90);
  const QFontMetricsF metrics(painter.font());
  painter.drawText(QRectF(-area.height() / 2, 0, area.height(), metrics.height()),
                   Qt::AlignHCenter | Qt::AlignTop, name);
  painter.restore();
}

}  // namespace scanner
