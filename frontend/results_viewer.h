// Form2: the results viewer. Placeholder shell; the viewer's controls come later.
#pragma once

#include <QWidget>

class QCloseEvent;

class ResultsViewer : public QWidget {
  Q_OBJECT

 public:
  explicit ResultsViewer(QWidget* parent = nullptr);

  // Prepares the viewer before each showing from the conditions window.
  void viewer_reset();

 signals:
  void back_requested();  // the back button (Command3)
  void closed();          // the close box: the viewer is unloaded

 protected:
  void closeEvent(QCloseEvent* event) override;
};
