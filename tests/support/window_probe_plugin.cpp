// A Qt plugin that a test loads into a program it starts as a process:
// each time a window of that program is shown or hidden, it writes one line
// to standard error,
//
//   window probe: shown QMessageBox: <the box's text>
//   window probe: hidden QMessageBox: <the box's text>
//
// so the test sees a box open on Qt's offscreen platform, where nothing
// else shows it. The program itself is not changed: Qt loads the plugin
// from QT_PLUGIN_PATH when QT_QPA_GENERIC_PLUGINS names "window_probe"
// (test_support::window_probe_settings).

#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QWidget>

#include <cstdio>

namespace {

class window_probe : public QObject {
 public:
  window_probe() { QCoreApplication::instance()->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool shown = event->type() == QEvent::Show;
    if (!shown && event->type() != QEvent::Hide) return false;
    if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow()) return false;
    const QByteArray line = QByteArray("window probe: ") + (shown ? "shown " : "hidden ") +
                            watched->metaObject()->className() + ": " +
                            watched->property("text").toString().toUtf8() + '\n';
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
    return false;
  }
};

}  // namespace

class window_probe_plugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_probe_plugin.json")

 public:
  QObject* create(const QString& name, const QString&) override {
    if (name.compare(QLatin1String("window_probe"), Qt::CaseInsensitive) != 0) return nullptr;
    return new window_probe;
  }
};

#include "window_probe_plugin.moc"
