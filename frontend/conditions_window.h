// Form1: the conditions window: fields, option codes, confirm, engine start.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class ConditionsWindow;
}
class QCloseEvent;

// The option codes, program-wide: they outlive the conditions window and go into B2F.dat.
struct SelectionCodes {
  int formula_code = 0;        // 1 Birch's formula, 2 Tucker's formula
  int rectification_code = 0;  // 1 constant potential, 2 three-phase 12-peak, 3 single-phase full-wave
  int phantom_code = 0;        // 1 water, 2 ICRU soft tissue
};

class ConditionsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ConditionsWindow(SelectionCodes& codes, QWidget* parent = nullptr);
  ~ConditionsWindow() override;

  Ui::ConditionsWindow* ui() const { return ui_.get(); }

 signals:
  void closed();            // the close box: B2F.dat is gone, the window is unloaded
  void quit_requested();    // Command3: B2F.dat is gone, the program ends
  void viewer_requested();  // Command4: on to the results viewer

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void on_Text1_returnPressed();
  void on_Text2_returnPressed();
  void on_Text3_returnPressed();
  void on_Text4_returnPressed();
  void on_Text5_returnPressed();
  void on_Text6_returnPressed();
  void on_Text7_returnPressed();
  void on_Text8_returnPressed();
  void on_Option1_clicked();
  void on_Option2_clicked();
  void on_Option3_clicked();
  void on_Option4_clicked();
  void on_Option5_clicked();
  void on_Option6_clicked();
  void on_Option7_clicked();
  void on_Command1_clicked();
  void on_Command2_clicked();
  void on_Command3_clicked();
  void on_Command4_clicked();

 private:
  void load_actions();

  std::unique_ptr<Ui::ConditionsWindow> ui_;
  SelectionCodes& codes_;
};
