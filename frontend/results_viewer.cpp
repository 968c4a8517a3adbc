#include "results_viewer.h"

#include <QCloseEvent>

ResultsViewer::ResultsViewer(QWidget* parent) : QWidget(parent) {
  setObjectName("Form2");
  setWindowTitle("Velmora");
}

void ResultsViewer::viewer_reset() {}

void ResultsViewer::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}
