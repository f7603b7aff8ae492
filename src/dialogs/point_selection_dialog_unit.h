#pragma once

// The dialog in which the operator picks the traverse points that the exsitu
// conversion keeps: one check box per point, laid out as the points lie on
// the plate (upper row left, one in the centre, lower row right).

#include "basics/point_selection_file.h"
#include "dialogs/basic_dialog_unit.h"

#include <QVector>

#include <array>

class QCheckBox;

class Tpoint_selection_dialog : public TBasic_dialog {
  Q_OBJECT

 public:
  explicit Tpoint_selection_dialog(QWidget* parent = nullptr);

  // Ticks the box of point n exactly when flag n is set (n = 1 to 51; a
  // missing flag counts as not set).
  void set_points(const QVector<bool>& point_selected);
  // The ticks as 52 flags; entry 0 is unused and false.
  QVector<bool> points() const;

  // The check box `cb<n>` of point n, 1 to 51; nullptr for any other n.
  QCheckBox* point_box(int n) const;

  QFrame* Bevel2;
  QLabel* Left;
  QLabel* Label1;
  QLabel* Label2;

 private:
  void create_point_boxes();

  std::array<QCheckBox*, basics::kTraversePointCount + 1> boxes_{};  // index: point; 0 unused
};

// Lets the operator edit `point_selected` in a modal point selection dialog
// owned by `owner`. Copies the ticks back and returns true only when the
// dialog was closed with OK; otherwise the flags stay as they were.
bool edit_point_selection(QWidget* owner, QVector<bool>& point_selected);
