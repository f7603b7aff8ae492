#pragma once

// The status lamp of the operator's panel: one colour and one sentence that
// say at a glance whether the scanner does its work. Worked out from what
// the window knows; it drives nothing.
//
//   red    an error, or a file set aside, in the last kRedMinutes minutes
//   grey   scanning is switched off
//   amber  scanning, but a folder it needs is missing or cannot be used
//          (each one named, with the reason)
//   green  scanning, every folder present

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace scanner {

enum class lamp_colour { green, grey, amber, red };

struct lamp {
  lamp_colour colour = lamp_colour::grey;
  QString text;
  friend bool operator==(const lamp&, const lamp&) = default;
};

// How long an error keeps the lamp red: long enough for an operator passing
// by to see it, short enough that the lamp is not red all day after one.
inline constexpr int kRedMinutes = 5;

// A folder the scan needs, as the lamp names it ("the insitu input folder").
struct needed_folder {
  QString role;
  QString path;
  bool present = false;
  // Why a folder that is there cannot be used as the scan needs
  // ("cannot be read (Permission denied)"); empty when it can.
  QString problem;
};

// A folder the window watches for the panel: `mask` names the input files
// of an input folder, and is empty for any other folder.
struct watched_folder {
  QString role;
  QString path;
  QString mask;
};

// The last error or set-aside file.
struct fault {
  QDateTime time;
  QString text;
};

struct lamp_inputs {
  bool scanning = false;
  QList<needed_folder> folders;
  std::optional<fault> last_fault;
  QDateTime now;
};

lamp lamp_for(const lamp_inputs& inputs);

// "green", "grey", "amber", "red".
QString colour_word(lamp_colour colour);

}  // namespace scanner
