#pragma once

// The last spectra on the operator's panel: the curves of the last converted
// file, drawn with QPainter (a few polylines need no chart library). The
// lines it draws are computed by plot_lines, so tests check the very points
// on the screen.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "basics/scan_data.h"

namespace scanner {

// Curves of (wavelength in nm, value) points, each with its name.
struct plotted_spectra {
  QString title;
  QStringList names;
  QList<QList<QPointF>> curves;
  bool empty() const;
};

// The spectra of `position` (0-based) of a scan record: reflection from the
// glass side, from the coating side and transmission for a record of three
// spectra, numbered spectra otherwise, each on its own wavelength axis.
// Nothing for a position the record does not have; values the record's
// arrays do not hold are left out.
plotted_spectra spectra_of(const basics::scan_data& record, int position);

// One drawn polyline: a run of finite points of curve `curve`.
struct plot_line {
  int curve = 0;
  QPolygonF points;
};

// The value ranges of the axes: the finite points' extremes (a flat range
// widened so it has a height).
struct plot_ranges {
  double x_min = 0, x_max = 1, y_min = 0, y_max = 1;
};
plot_ranges ranges_of(const plotted_spectra& spectra);

// The polylines drawn for `spectra` inside `area`: wavelengths to the right,
// values upwards, over the ranges of ranges_of. A point that is not finite
// breaks its curve's line.
QList<plot_line> plot_lines(const plotted_spectra& spectra, const QRectF& area);

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
  void draw_axes(QPainter& painter, const QRectF& area, const plot_ranges& ranges);
  void draw_legend(QPainter& painter, const QRectF& area);

  plotted_spectra spectra_;
};

}  // namespace scanner
