#pragma once

// What an operator would find cut or hidden in a shown window: a caption,
// a button's or a box's text wider than the room its control gives it, or
// a text running under a neighbouring control. A text too long for any
// window (a path) may be shortened with an ellipsis when its control's
// tooltip holds the whole text.

#include <QStringList>

class QWidget;

namespace test_support {

// One line per text that does not fit, naming the control and the widths.
QStringList texts_not_fitting(const QWidget& window);

}  // namespace test_support
