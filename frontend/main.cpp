// Velmora: the front end. Placeholder until the windows land.
#include <QApplication>

#include "results_viewer.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  ResultsViewer viewer;
  viewer.show();
  return QApplication::exec();
}
