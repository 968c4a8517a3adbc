// Velmora: the front end. Opens on the intro window.
#include <QApplication>

#include "app_flow.h"
#include "window_setup.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
  // The program ends only by the flow's own end, never because a window was closed.
  QApplication::setQuitOnLastWindowClosed(false);
  install_font_substitutions();

  AppFlow flow;
  QObject::connect(&flow, &AppFlow::program_ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  flow.start();
  return QApplication::exec();
}
