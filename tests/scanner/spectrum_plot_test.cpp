// The plot of the last spectra: the drawn lines follow the record's values,
// the picture shows them where the lines say, and an empty record or values
// that are not finite draw nothing wrong.

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "basics/scan_data.h"
#include "scanner/spectrum_plot.h"

namespace {

using scanner::plot_line;
using scanner::plotted_spectra;

// Two positions, three spectra of five points from 400 to 800 nm; the value
// of point w of spectrum s at position p is 10 p + 2 s + w.
basics::scan_data small_record() {
  basics::scan_data record;
  basics::shape_record(record, 2, 3, 5, 400.0f, 800.0f);
  for (int p = 0; p < 2; ++p) {
    for (int s = 0; s < 3; ++s) {
      for (int w = 0; w < 5; ++w)
        record.spectral_data[record.the_index(p, s, w)] = 10 * p + 2 * s + w;
    }
  }
  return record;
}

TEST(SpectrumPlotTest, CurvesOfAPositionCarryTheRecordsValuesOnItsWavelengthAxis) {
  const plotted_spectra spectra = scanner::spectra_of(small_record(), 1);
  ASSERT_EQ(spectra.curves.size(), 3);
  EXPECT_EQ(spectra.names, (QStringList{"R glass side", "R coating side", "T"}));
  EXPECT_EQ(spectra.curves[2],
            (QList<QPointF>{{400, 14}, {500, 15}, {600, 16}, {700, 17}, {800, 18}}));
  EXPECT_TRUE(scanner::spectra_of(small_record(), 2).empty());
  EXPECT_TRUE(scanner::spectra_of(small_record(), -1).empty());
  EXPECT_TRUE(scanner::spectra_of(basics::scan_data(), 0).empty());

  // Counts that promise more than the arrays hold draw only what is there.
  basics::scan_data lying = small_record();
  lying.no_positions = 9;
  lying.spectral_data.resize(lying.the_index(1, 1, 2));
  const plotted_spectra cut = scanner::spectra_of(lying, 1);
  ASSERT_EQ(cut.curves.size(), 3);
  EXPECT_EQ(cut.curves[0].size(), 5);
  EXPECT_EQ(cut.curves[1].size(), 2);
  EXPECT_TRUE(cut.curves[2].isEmpty());
}

TEST(SpectrumPlotTest, ReflectionAndTransmissionGetAPanelAndAValueScaleEach) {
  const plotted_spectra spectra = scanner::spectra_of(small_record(), 0);  // values 0 ... 8
  ASSERT_EQ(spectra.panels.size(), 2);
  EXPECT_EQ(spectra.panels[0].axis, "R [%]");
  EXPECT_EQ(spectra.panels[0].curves, (QList<int>{0, 1}));
  EXPECT_EQ(spectra.panels[1].axis, "T [%]");
  EXPECT_EQ(spectra.panels[1].curves, (QList<int>{2}));

  const QRectF area(10, 20, 444, 80);
  const QList<QRectF> panels = scanner::panel_areas(2, area);
  ASSERT_EQ(panels.size(), 2);
  EXPECT_EQ(panels[0], QRectF(10, 20, 200, 80));
  EXPECT_EQ(panels[1], QRectF(254, 20, 200, 80));  // room for its value labels

  const QList<plot_line> lines = scanner::plot_lines(spectra, area);
  ASSERT_EQ(lines.size(), 3);
  // R: 0 ... 4 and 2 ... 6 on the scale 0 ... 6 (steps of 2).
  EXPECT_EQ(lines[0].curve, 0);
  EXPECT_EQ(lines[0].points.first(), QPointF(10, 100));
  EXPECT_NEAR(lines[0].points.last().x(), 210, 1e-9);
  EXPECT_NEAR(lines[0].points.last().y(), 100 - 80 * 4.0 / 6, 1e-9);
  EXPECT_NEAR(lines[1].points.last().y(), 20, 1e-9);
  // T: 4 ... 8 fills its own panel, corner to corner.
  EXPECT_EQ(lines[2].curve, 2);
  EXPECT_EQ(lines[2].points.first(), QPointF(254, 100));
  EXPECT_EQ(lines[2].points.last(), QPointF(454, 20));
}

TEST(SpectrumPlotTest, LowReflectionIsNotSquashedUnderHighTransmission) {
  basics::scan_data record;
  basics::shape_record(record, 1, 3, 61, 380.0f, 980.0f);
  for (int w = 0; w < 61; ++w) {
    record.spectral_data[record.the_index(0, 0, w)] = 4.0f + 0.05f * w;  // R 4 ... 7 %
    record.spectral_data[record.the_index(0, 1, w)] = 5.0f + 0.05f * w;
    record.spectral_data[record.the_index(0, 2, w)] = 78.0f + 0.05f * w;  // T 78 ... 81 %
  }
  const QRectF area(0, 0, 400, 100);
  for (const plot_line& line : scanner::plot_lines(scanner::spectra_of(record, 0), area)) {
    const auto [low, high] =
        std::minmax_element(line.points.begin(), line.points.end(),
                            [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_GT(high->y() - low->y(), 0.3 * area.height()) << "curve " << line.curve;
  }
}

TEST(SpectrumPlotTest, AxesRunOverRoundNumbers) {
  const struct {
    double low, high;
    int steps;
    double scale_low, scale_high, step;
    QStringList labels;
  } cases[] = {
      {0, 6, 5, 0, 6, 2, {"0", "2", "4", "6"}},
      {4.1, 7.9, 5, 4, 8, 1, {"4", "5", "6", "7", "8"}},
      {0.12, 0.61, 5, 0.1, 0.7, 0.1, {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7"}},
      {380, 1000, 6, 200, 1000, 200, {"200", "400", "600", "800", "1000"}},
      {-3, 2, 5, -3, 2, 1, {"-3", "-2", "-1", "0", "1", "2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.low);
    const scanner::axis_scale scale = scanner::round_scale(c.low, c.high, c.steps);
    EXPECT_DOUBLE_EQ(scale.step, c.step);
    EXPECT_DOUBLE_EQ(scale.low, c.scale_low);
    EXPECT_NEAR(scale.high, c.scale_high, 1e-9);
    QStringList labels;
    for (const double tick : scale.ticks()) labels << scale.label(tick);
    EXPECT_EQ(labels, c.labels);
  }
  // Ranges that cannot be stepped keep their ends.
  const QList<double> extreme = scanner::round_scale(-1e308, 1e308, 5).ticks();
  EXPECT_EQ(extreme.first(), -1e308);
  EXPECT_EQ(extreme.last(), 1e308);
  EXPECT_EQ(scanner::round_scale(1, 1, 5).ticks(), (QList<double>{1, 1}));
}

TEST(SpectrumPlotTest, EveryWavelengthLabelStaysInsideTheWidget) {
  plotted_spectra spectra;
  spectra.curves = {{{380, 1}, {1000, 2}}};
  const QFont font;
  const QFontMetricsF metrics(font);
  const QRectF panel(44, 32, 348, 100);  // right edge 8 pixels from the widget's
  const QList<scanner::axis_label> labels =
      scanner::wavelength_labels(scanner::ranges_of(spectra), panel, 400, metrics);
  ASSERT_FALSE(labels.isEmpty());
  EXPECT_EQ(labels.last().text, "1000");
  for (const scanner::axis_label& label : labels) {
    EXPECT_GE(label.rect.left(), 0) << label.text.toStdString();
    EXPECT_LT(label.rect.right(), 400) << label.text.toStdString();
    EXPECT_GE(label.tick, panel.left());
    EXPECT_LE(label.tick, panel.right());
  }
}

TEST(SpectrumPlotTest, ValuesThatAreNotFiniteBreakTheLineAndLeaveTheAxes) {
  plotted_spectra spectra;
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  spectra.curves = {{{400, 1}, {500, nan}, {600, 3}, {700, inf}, {800, 5}, {inf, 6}}, {{nan, nan}}};
  const scanner::plot_ranges ranges = scanner::ranges_of(spectra);
  EXPECT_EQ(ranges.x_min, 400);
  EXPECT_EQ(ranges.x_max, 800);
  EXPECT_EQ(ranges.y_min, 1);
  EXPECT_EQ(ranges.y_max, 5);
  const QList<plot_line> lines = scanner::plot_lines(spectra, QRectF(0, 0, 100, 100));
  ASSERT_EQ(lines.size(), 3);
  for (const plot_line& line : lines) {
    EXPECT_EQ(line.curve, 0);
    ASSERT_EQ(line.points.size(), 1);
    EXPECT_TRUE(std::isfinite(line.points[0].x()) && std::isfinite(line.points[0].y()));
  }

  // A flat curve gets a range with height; extreme values no overflow.
  plotted_spectra flat;
  flat.curves = {{{500, 2}, {600, 2}}};
  const scanner::plot_ranges widened = scanner::ranges_of(flat);
  EXPECT_LT(widened.y_min, 2);
  EXPECT_GT(widened.y_max, 2);
  plotted_spectra extreme;
  extreme.curves = {{{0, -1e308}, {1, 1e308}}};
  for (const plot_line& line : scanner::plot_lines(extreme, QRectF(0, 0, 100, 100))) {
    for (const QPointF& p : line.points) EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
  }
}

// The pixels: in a few columns the curve's colour lies where plot_lines
// puts the record's value.
TEST(SpectrumPlotTest, PictureShowsEachCurveWhereItsValuesAre) {
  scanner::spectrum_plot plot;
  plot.resize(412, 190);
  plot.show_spectra(scanner::spectra_of(small_record(), 1));
  const QImage picture = plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const plotted_spectra& spectra = plot.spectra();
  const QList<QRectF> panels = scanner::panel_areas(2, plot.plot_area());
  const scanner::plot_ranges r = scanner::ranges_of(spectra);
  for (int c = 0; c < 3; ++c) {
    const int panel = c < 2 ? 0 : 1;
    const QRectF& area = panels[panel];
    const scanner::axis_scale v = scanner::value_scale(spectra, spectra.panels[panel]);
    for (const QPointF& value : spectra.curves[c]) {
      const double x = area.left() + (value.x() - r.x_min) / (r.x_max - r.x_min) * area.width();
      const double y = area.bottom() - (value.y() - v.low) / (v.high - v.low) * area.height();
      const int column = qBound(0, int(std::lround(x)), picture.width() - 1);
      bool found = false;
      for (int dy = -2; dy <= 2 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const QPoint at(qBound(0, column + dx, picture.width() - 1), int(std::lround(y)) + dy);
          if (picture.valid(at)) {
            found = picture.pixelColor(at) == scanner::curve_colour(c);
          }
        }
      }
      EXPECT_TRUE(found) << "curve " << c << " at " << value.x() << " nm";
    }
  }
}

TEST(SpectrumPlotTest, EmptyAndBrokenRecordsPaintWithoutCurves) {
  scanner::spectrum_plot plot;
  plot.resize(300, 180);
  for (const plotted_spectra& spectra :
       {plotted_spectra{}, scanner::spectra_of(basics::scan_data(), 0),
        plotted_spectra{"x", {"a"}, {{{std::nan(""), 1.0}}}}}) {
    plot.show_spectra(spectra);
    const QImage picture = plot.grab().toImage();
    EXPECT_FALSE(picture.isNull());
    EXPECT_TRUE(scanner::plot_lines(spectra, plot.plot_area()).isEmpty());
  }
  // Too small a widget still paints.
  plot.resize(3, 3);
  plot.show_spectra(scanner::spectra_of(small_record(), 0));
  EXPECT_FALSE(plot.grab().toImage().isNull());
}

}  // namespace
