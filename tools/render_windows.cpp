// Renders the front end's intro and conditions windows to PNG files, as they look when opened.
// Usage: render_windows <folder>   (writes intro_window.png and conditions_window.png there)
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <cstdio>

#include "conditions_window.h"
#include "intro_window.h"
#include "window_setup.h"

namespace {

bool save_window(QWidget& window, const QString& path) {
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(path, "PNG");
  window.hide();
  QTextStream(stdout) << (saved ? "wrote " : "cannot write ") << path << Qt::endl;
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: render_windows <folder>\n", stderr);
    return 2;
  }
  install_font_substitutions();
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!folder.exists() && !QDir().mkpath(folder.path())) {
    std::fputs("cannot create the folder\n", stderr);
    return 1;
  }
  IntroWindow intro;
  SelectionCodes codes;
  ConditionsWindow conditions(codes);
  const bool ok = save_window(intro, folder.filePath("intro_window.png")) &&
                  save_window(conditions, folder.filePath("conditions_window.png"));
  return ok ? 0 : 1;
}
