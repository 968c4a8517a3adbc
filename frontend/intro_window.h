// Form3: the intro window, the program's title screen.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class IntroWindow;
}
class QCloseEvent;

class IntroWindow : public QWidget {
  Q_OBJECT

 public:
  explicit IntroWindow(QWidget* parent = nullptr);
  ~IntroWindow() override;

  Ui::IntroWindow* ui() const { return ui_.get(); }

 signals:
  void ok_clicked();     // Command1 "OK": on to the conditions window
  void end_requested();  // Command2 "Cancel" or the close box: the program ends

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void on_Command1_clicked();
  void on_Command2_clicked();

 private:
  std::unique_ptr<Ui::IntroWindow> ui_;
};
