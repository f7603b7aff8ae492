#pragma once

// The surroundings of a scanner window in a test: a program folder, a
// per-user folder and a VELLIC tree inside one temporary folder, with the
// program's places moved there through a FaultEnv, and scripted prompts.
//
//   scanner_site site;
//   site.write_program_file("vellic_scanner.ini", {site.path("in"), "L"});
//   auto window = site.create_window();

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "scanner/DORNIK_scanner_unit.h"
#include "support/file_lines.h"
#include "support/recording_prompts.h"
#include "support/site_env.h"
#include "support/temp_tree.h"

namespace test_support {

// Recording prompts that also run `on_message` whenever a message box opens,
// as a real box's event loop delivers timer ticks meanwhile.
class reacting_prompts : public recording_prompts {
 public:
  void show_message(const QString& text) override {
    recording_prompts::show_message(text);
    if (on_message) on_message();
  }
  std::function<void()> on_message;
};

class scanner_site {
 public:
  scanner_site();

  // Absolute path of `relative` inside the site, native delimiters.
  QString path(const QString& relative = QString()) const { return tree.path(relative); }
  // path(relative) with the delimiter at its end, as folder fields hold it.
  QString folder(const QString& relative) const;

  // The program folder "prog", with the program file "DORNIK_spectrum_scanner".
  QString program_file(const QString& name) const;
  void write_program_file(const QString& name, const QStringList& lines) const;
  QByteArray program_file_bytes(const QString& name) const;

  // A VELLIC tree under "v": product `product` current, the measurement
  // folder of `lumor_name` and the exsitu input folder "in". Writes
  // vellic_path.ini and a vellic_scanner.ini naming them.
  void make_vellic_tree(const QString& product = QStringLiteral("P"),
                        const QString& lumor_name = QStringLiteral("L")) const;

  // Constructs the window and runs its creation chain.
  template <class Window = TDORNIK_scanner_main>
  std::unique_ptr<Window> create_window() const {
    auto window = std::make_unique<Window>();
    window->create();
    return window;
  }

  temp_tree tree;
  site_env fault;
  recording_prompts prompts;

 private:
  platform::ScopedEnv use_fault_;
};

}  // namespace test_support
