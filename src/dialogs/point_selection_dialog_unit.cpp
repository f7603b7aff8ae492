#include "dialogs/point_selection_dialog_unit.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

// Left edges of the 25 columns. The upper row holds points 1 to 25 from left
// to right, the lower row points 51 down to 27, so column c (0-based) holds
// point c + 1 above and point 51 - c below.
constexpr std::array<int, 25> kColumnLefts = {16,  48,  84,  120, 152, 188, 224, 260, 292,
                                              320, 352, 388, 424, 456, 492, 524, 560, 596,
                                              628, 664, 696, 732, 768, 804, 836};
constexpr int kUpperRowTop = 39;
constexpr int kLowerRowTop = 119;
constexpr QPoint kCenterPoint{854, 80};  // point 26, alone in the middle row
constexpr int kBoxHeight = 17;
// Wide enough for a two-digit number, yet inside the frame (and, for point
// 26, clear of the row labels).
constexpr int kLastColumnWidth = 36;
// The narrowest column is 28 pixels; a slightly smaller box and a tight gap
// keep two digits readable there, also in faces wider than Tahoma.
const char* const kPointBoxStyle =
    "QCheckBox { spacing: 1px; } QCheckBox::indicator { width: 12px; height: 12px; }";

// Each box reaches to the next column, so its number is never cut off.
int column_width(int column) {
  const int next = column + 1;
  return next < int(kColumnLefts.size()) ? kColumnLefts[next] - kColumnLefts[column]
                                         : kLastColumnWidth;
}

QRect point_box_geometry(int n) {
  if (n == 26) return {kCenterPoint, QSize(kLastColumnWidth, kBoxHeight)};
  const int column = n <= 25 ? n - 1 : basics::kTraversePointCount - n;
  const int top = n <= 25 ? kUpperRowTop : kLowerRowTop;
  return {kColumnLefts[column], top, column_width(column), kBoxHeight};
}

QLabel* row_label(const QString& name, const QString& text, int left, int top, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

Tpoint_selection_dialog::Tpoint_selection_dialog(QWidget* parent)
    : TBasic_dialog(parent), Bevel2(new QFrame(this)) {
  setWindowTitle(tr("point_selection_dialog"));
  set_client_size(962, 202);
  set_description(tr("Select points for traverse analysis:"));

  Bevel1->setGeometry(8, 30, 873, 35);
  Bevel2->setObjectName(QStringLiteral("Bevel2"));
  Bevel2->setFrameStyle(Bevel1->frameStyle());
  Bevel2->setGeometry(8, 110, 873, 35);
  Bevel2->lower();

  Left = row_label(QStringLiteral("Left"), tr("Left"), 896, 40, this);
  Label1 = row_label(QStringLiteral("Label1"), tr("Center"), 896, 81, this);
  Label2 = row_label(QStringLiteral("Label2"), tr("Right"), 896, 120, this);

  OKBtn->move(343, 169);
  CancelBtn->move(442, 169);

  create_point_boxes();
}

void Tpoint_selection_dialog::create_point_boxes() {
  for (int n = 1; n <= basics::kTraversePointCount; ++n) {
    auto* box = new QCheckBox(QString::number(n), this);
    box->setObjectName(QStringLiteral("cb%1").arg(n));
    box->setStyleSheet(QString::fromLatin1(kPointBoxStyle));
    box->setGeometry(point_box_geometry(n));
    boxes_[n] = box;
  }
}

void Tpoint_selection_dialog::set_points(const QVector<bool>& point_selected) {
  for (int n = 1; n <= basics::kTraversePointCount; ++n) {
    boxes_[n]->setChecked(n < point_selected.size() && point_selected[n]);
  }
}

QVector<bool> Tpoint_selection_dialog::points() const {
  QVector<bool> point_selected(basics::kTraversePointCount + 1, false);
  for (int n = 1; n <= basics::kTraversePointCount; ++n) {
    point_selected[n] = boxes_[n]->isChecked();
  }
  return point_selected;
}

QCheckBox* Tpoint_selection_dialog::point_box(int n) const {
  if (n < 1 || n > basics::kTraversePointCount) return nullptr;
  return boxes_[n];
}

bool edit_point_selection(QWidget* owner, QVector<bool>& point_selected) {
  // Guarded: if the owner closes while the dialog is open, Qt deletes the
  // dialog with it, and the flags must then stay as they were.
  QPointer<Tpoint_selection_dialog> dialog = new Tpoint_selection_dialog(owner);
  dialog->set_points(point_selected);
  const bool accepted = dialog->exec() == QDialog::Accepted;
  if (!dialog) return false;
  if (accepted) point_selected = dialog->points();
  delete dialog;
  return accepted;
}
