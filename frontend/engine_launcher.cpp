#include "engine_launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

bool start_detached(const LaunchCommand& command) {
  return QProcess::startDetached(command.program, command.arguments, command.working_directory);
}

}  // namespace

EngineLauncher& EngineLauncher::instance() {
  static EngineLauncher launcher;
  return launcher;
}

EngineLauncher::EngineLauncher() : starter(start_detached) {}

QString EngineLauncher::find_engine() const {
  const QString folder = engine_folder.isEmpty() ? QCoreApplication::applicationDirPath() : engine_folder;
  const QFileInfo beside(QDir(folder).filePath(engine_name));
  if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  return QStandardPaths::findExecutable(engine_name);
}

QString EngineLauncher::find_terminal() const { return QStandardPaths::findExecutable(terminal_name); }

LaunchCommand EngineLauncher::terminal_command(const QString& terminal, const QString& engine,
                                               const QString& working_directory, TextCharset charset) {
  const QStringList encoding = charset == TextCharset::ShiftJis ? QStringList{"-lc"} : QStringList{"+lc", "-u8"};
  // A CJK face in -fa would make every cell double width; it goes in -fd for the wide characters.
  return LaunchCommand{terminal,
                       QStringList{"-maximized"} + encoding +
                           QStringList{"-fa", "DejaVu Sans Mono", "-fd", "IPAGothic", "-fs", "12", "-e", engine},
                       working_directory};
}

QString EngineLauncher::start_engine(const QString& working_directory) const {
  const QString engine = find_engine();
  if (engine.isEmpty()) {
    return QString("シミュレーションプログラム %1 が見つかりません").arg(engine_name);
  }
  const QString terminal = find_terminal();
  if (terminal.isEmpty()) {
    return QString("端末プログラム %1 が見つかりません").arg(terminal_name);
  }
  if (!starter || !starter(terminal_command(terminal, engine, working_directory))) {
    return QString("%1 で %2 を起動できませんでした").arg(terminal_name, engine_name);
  }
  return QString();
}
