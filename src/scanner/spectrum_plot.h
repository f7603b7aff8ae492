#pragma once

// The last spectra on the operator's panel: the curves of the last converted
// file, drawn with QPainter (a few polylines need no chart library). The
// lines it draws are computed by plot_lines, so tests check the very points
// on the screen.

#include <QColor>
#include <QFontMetricsF>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "basics/scan_data.h"

namespace scanner {

// Curves that share one value axis, drawn in a panel of their own so that
// reflection of a few per cent is not squashed under a transmission near
// 80 %.
struct plot_panel {
  QString axis;       // the value axis's name with its unit
  QList<int> curves;  // indices into plotted_spectra::curves
};

// Curves of (wavelength in nm, value) points, each with its name.
struct plotted_spectra {
  QString title;
  QStringList names;
  QList<QList<QPointF>> curves;
  // Side by side, left to right; none: one panel of every curve.
  QList<plot_panel> panels;
  bool empty() const;
};

// The panels drawn for `spectra`.
QList<plot_panel> panels_of(const plotted_spectra& spectra);

// The spectra of `position` (0-based) of a scan record: reflection from the
// glass side and from the coating side in one panel and transmission in
// another for a record of three spectra, numbered spectra in one panel
// otherwise, each on its own wavelength axis. Nothing for a position the
// record does not have; values the record's arrays do not hold are left out.
plotted_spectra spectra_of(const basics::scan_data& record, int position);

// One drawn polyline: a run of finite points of curve `curve`.
struct plot_line {
  int curve = 0;
  QPolygonF points;
};

// The value ranges of the axes: the finite points' extremes (a flat range
// widened so it has a height), of every curve or of the curves given.
struct plot_ranges {
  double x_min = 0, x_max = 1, y_min = 0, y_max = 1;
};
plot_ranges ranges_of(const plotted_spectra& spectra);
plot_ranges ranges_of(const plotted_spectra& spectra, const QList<int>& curves);

// An axis read at a glance: ends and tick step on round numbers (1, 2 or 5
// times a power of ten), the ends covering the range given.
struct axis_scale {
  double low = 0, high = 1, step = 1;
  // low, low + step, ... high; only the ends when the step does not fit.
  QList<double> ticks() const;
  // `value` with as many decimals as the step needs.
  QString label(double value) const;
};
axis_scale round_scale(double low, double high, int most_steps);

// The value scale a panel's curves are drawn on.
axis_scale value_scale(const plotted_spectra& spectra, const plot_panel& panel);

// Where the panels go inside `area`, side by side, each leaving room on its
// left for the value labels of the next.
QList<QRectF> panel_areas(int panels, const QRectF& area);

// The polylines drawn for `spectra` inside `area`, each curve in its panel's
// part (panel_areas): wavelengths to the right over the wavelength range of
// all curves, values upwards over the panel's value_scale. A point that is
// not finite breaks its curve's line.
QList<plot_line> plot_lines(const plotted_spectra& spectra, const QRectF& area);

// One label of an axis: its text, where its tick is and where the text is
// written.
struct axis_label {
  QString text;
  double tick = 0;
  QRectF rect;
};

// The wavelength labels under `panel`, kept inside a widget `width` wide.
QList<axis_label> wavelength_labels(const plot_ranges& ranges, const QRectF& panel, double width,
                                    const QFontMetricsF& metrics);

// The colour of curve `index`.
QColor curve_colour(int index);

class spectrum_plot : public QWidget {
  Q_OBJECT

 public:
  explicit spectrum_plot(QWidget* parent = nullptr);

  void show_spectra(plotted_spectra spectra);
  const plotted_spectra& spectra() const { return spectra_; }
  // Where the curves are drawn, inside the axes.
  QRectF plot_area() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void draw_panel(QPainter& painter, const plot_panel& panel, const QRectF& area,
                  const plot_ranges& ranges);
  // The curves' names in their colours, above the panels.
  void draw_legend(QPainter& painter);
  void draw_axis_name(QPainter& painter, const QString& name, const QRectF& area);

  plotted_spectra spectra_;
};

}  // namespace scanner
