#include "scanner/operator_panel.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "scanner/spectrum_plot.h"
#include "scanner/tray_lamp.h"

namespace scanner {
namespace {

constexpr int kLampSize = 22;

QLabel* caption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

QString age_text(qint64 seconds) {
  seconds = qMax<qint64>(0, seconds);
  if (seconds < 60) return QStringLiteral("%1 s").arg(seconds);
  const qint64 minutes = seconds / 60;
  if (minutes < 60) return QStringLiteral("%1 min").arg(minutes);
  const qint64 hours = minutes / 60;
  if (hours < 24) return QStringLiteral("%1 h %2 min").arg(hours).arg(minutes % 60);
  return QStringLiteral("%1 d %2 h").arg(hours / 24).arg(hours % 24);
}

QString waiting_text(const waiting_line& line, const QDateTime& now) {
  const basics::waiting_summary& s = line.summary;
  if (s.count == 0) return QStringLiteral("none waiting");
  QString text = QStringLiteral("%1 waiting").arg(s.count);
  if (s.oldest.isValid()) {
    text += QStringLiteral(", the oldest for ") + age_text(s.oldest.secsTo(now));
  }
  return text;
}

operator_panel::operator_panel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("operator_panel"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 8, 8, 8);

  auto* lamp_row = new QHBoxLayout;
  lamp_dot = new QLabel(this);
  lamp_dot->setObjectName(QStringLiteral("lamp_dot"));
  lamp_dot->setFixedSize(kLampSize, kLampSize);
  lamp_text = new QLabel(this);
  lamp_text->setObjectName(QStringLiteral("lamp_text"));
  lamp_text->setWordWrap(true);
  lamp_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lamp_row->addWidget(lamp_dot, 0, Qt::AlignTop);
  lamp_row->addWidget(lamp_text, 1);
  column->addLayout(lamp_row);

  column->addWidget(caption(QStringLiteral("Waiting files"), this));
  waiting_label = new QLabel(this);
  waiting_label->setObjectName(QStringLiteral("waiting_label"));
  waiting_label->setWordWrap(true);
  column->addWidget(waiting_label);

  auto* plot_row = new QHBoxLayout;
  plot_row->addWidget(caption(QStringLiteral("Last spectra"), this), 1);
  // Counts the file's traverse points; the title names the position each
  // was measured at.
  plot_row->addWidget(new QLabel(QStringLiteral("Point"), this));
  position_box = new QSpinBox(this);
  position_box->setObjectName(QStringLiteral("position_box"));
  position_box->setRange(1, 1);
  plot_row->addWidget(position_box);
  column->addLayout(plot_row);
  plot = new spectrum_plot(this);
  plot->setFixedHeight(190);
  column->addWidget(plot);

  column->addWidget(caption(QStringLiteral("History"), this));
  history = new QTreeWidget(this);
  history->setObjectName(QStringLiteral("history"));
  history->setRootIsDecorated(false);
  history->setUniformRowHeights(true);
  history->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Input"),
                            QStringLiteral("Plate"), QStringLiteral("Result"),
                            QStringLiteral("Message")});
  history->header()->setStretchLastSection(true);
  // Wide enough for a date, which a record from another day shows.
  history->setColumnWidth(0, 96);
  history->setColumnWidth(1, 96);
  history->setColumnWidth(2, 44);
  history->setColumnWidth(3, 62);
  column->addWidget(history, 1);

  connect(position_box, &QSpinBox::valueChanged, this, [this] { show_position(); });
  show_lamp({});
}

void operator_panel::show_lamp(const lamp& current) {
  lamp_dot->setPixmap(lamp_icon(current.colour, kLampSize).pixmap(kLampSize, kLampSize));
  lamp_dot->setToolTip(colour_word(current.colour));
  lamp_text->setText(current.text);
}

void operator_panel::show_waiting(const QList<waiting_line>& lines, const QDateTime& now) {
  QStringList texts;
  for (const waiting_line& line : lines) {
    texts << line.role.left(1).toUpper() + line.role.mid(1) + QStringLiteral(": ") +
                 waiting_text(line, now);
  }
  const QString text = texts.join(QLatin1Char('\n'));
  // Unchanged, the label is neither laid out nor painted again.
  if (text == waiting_label->text()) return;
  waiting_label->setText(text);
}

void operator_panel::show_scan_record(const basics::scan_data& record, const QString& title) {
  record_ = record;
  record_title_ = title;
  has_record_ = true;
  const QSignalBlocker quiet(position_box);
  position_box->setRange(1, qMax(1, record.no_positions));
  position_box->setEnabled(true);
  show_position();
}

void operator_panel::show_position() {
  if (!has_record_) return;
  const int position = position_box->value() - 1;
  plotted_spectra spectra = spectra_of(record_, position);
  spectra.title = record_title_;
  if (position >= 0 && position < record_.positions.size()) {
    spectra.title += QStringLiteral(", point %1 of %2: position %3")
                         .arg(position + 1)
                         .arg(record_.no_positions)
                         .arg(record_.positions[position]);
  }
  plot->show_spectra(std::move(spectra));
}

void operator_panel::show_curve(const QList<QPointF>& points, const QString& title) {
  has_record_ = false;
  const QSignalBlocker quiet(position_box);
  position_box->setRange(1, 1);
  position_box->setEnabled(false);  // an inline file has one curve
  plotted_spectra spectra;
  spectra.title = title;
  // The inline file's one column: transmission.
  spectra.names << QStringLiteral("T insitu");
  spectra.curves << points;
  spectra.panels = {{QStringLiteral("T [%]"), {0}}};
  plot->show_spectra(std::move(spectra));
}

QString history_tooltip(const basics::history_record& record) {
  QStringList details{record.time.toString(Qt::ISODate), record.input_folder + record.input,
                      record.message};
  if (!record.output.isEmpty()) details << QStringLiteral("Output: ") + record.output;
  if (!record.archive.isEmpty()) details << QStringLiteral("Archive: ") + record.archive;
  return details.join(QLatin1Char('\n'));
}

QString history_time_text(const QDateTime& time, const QDate& today) {
  return time.toString(time.date() == today ? QStringLiteral("HH:mm:ss")
                                            : QStringLiteral("yyyy-MM-dd HH:mm"));
}

void operator_panel::add_history(const basics::history_record& record, const QDate& today) {
  auto* row = new QTreeWidgetItem({history_time_text(record.time, today), record.input,
                                   record.plate ? QString::number(*record.plate) : QString(),
                                   basics::result_word(record.result), record.message});
  row->setData(0, Qt::UserRole, record.time);
  // Built once and shared by every column of the row.
  const QString tooltip = history_tooltip(record);
  for (int column = 0; column < history->columnCount(); ++column) row->setToolTip(column, tooltip);
  if (record.result == basics::history_result::set_aside ||
      record.result == basics::history_result::error) {
    row->setForeground(3, lamp_qcolor(lamp_colour::red));
  } else if (record.result == basics::history_result::refused) {
    row->setForeground(3, lamp_qcolor(lamp_colour::amber).darker(130));
  }
  history->insertTopLevelItem(0, row);
  while (history->topLevelItemCount() > kHistoryRows) {
    delete history->takeTopLevelItem(history->topLevelItemCount() - 1);
  }
}

void operator_panel::date_history(const QDate& today) {
  for (int i = 0; i < history->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = history->topLevelItem(i);
    row->setText(0, history_time_text(row->data(0, Qt::UserRole).toDateTime(), today));
  }
}

}  // namespace scanner
