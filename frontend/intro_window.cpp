#include "intro_window.h"

#include <QCloseEvent>

#include "ui_intro_window.h"
#include "window_setup.h"

IntroWindow::IntroWindow(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::IntroWindow>()) {
  ensure_velmora_resources();
  ui_->setupUi(this);
  make_fixed_window(this, WindowBorder::FixedDialogOffTaskbar);
}

IntroWindow::~IntroWindow() = default;

void IntroWindow::on_Command1_clicked() { emit ok_clicked(); }

void IntroWindow::on_Command2_clicked() { emit end_requested(); }

void IntroWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit end_requested();
}
