// Finding the engine Drevik and starting it in a terminal window of its own.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "conditions_file.h"

// One program start: what to run, with which arguments, in which folder.
struct LaunchCommand {
  QString program;
  QStringList arguments;
  QString working_directory;
};

class EngineLauncher {
 public:
  // Starts the program without waiting for it; true if it was started.
  using Starter = std::function<bool(const LaunchCommand&)>;

  // The program-wide launcher the conditions window uses. Tests replace its parts.
  static EngineLauncher& instance();

  EngineLauncher();

  // Starts the engine in a maximised terminal in working_directory. Returns an empty text on
  // success, else the message for the user, naming what is missing or failed.
  QString start_engine(const QString& working_directory) const;

  // The engine beside this program's own executable, else on PATH; empty if neither has it.
  [[nodiscard]] QString find_engine() const;
  // The terminal on PATH; empty if missing.
  [[nodiscard]] QString find_terminal() const;

  // The terminal running the engine: maximised, Japanese shown in a CJK font. The engine
  // speaks the locale's character set: the terminal takes UTF-8 as it is, and a Shift-JIS
  // locale's output through its locale converter (-lc).
  static LaunchCommand terminal_command(const QString& terminal, const QString& engine,
                                        const QString& working_directory, TextCharset charset = locale_text_charset());

  // Where the engine is looked for first; empty means the folder of the running executable.
  QString engine_folder;
  QString engine_name = "Drevik";
  QString terminal_name = "xterm";
  Starter starter;
};
