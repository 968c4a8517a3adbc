#include "app_flow.h"

#include <QIcon>

#include "intro_window.h"
#include "results_viewer.h"
#include "window_setup.h"

AppFlow::AppFlow(QObject* parent) : QObject(parent), intro_(std::make_unique<IntroWindow>()) {
  connect(intro_.get(), &IntroWindow::ok_clicked, this, &AppFlow::on_intro_ok);
  connect(intro_.get(), &IntroWindow::end_requested, this, &AppFlow::end_program);
}

AppFlow::~AppFlow() {
  // Destroying a window runs none of its closing actions.
  delete viewer_.data();
  delete conditions_.data();
}

void AppFlow::start() { show_centred_first_time(intro_.get()); }

void AppFlow::show_conditions_window() {
  if (conditions_ == nullptr) {
    conditions_ = new ConditionsWindow(codes_);
    connect(conditions_, &ConditionsWindow::closed, this, &AppFlow::on_conditions_closed);
    connect(conditions_, &ConditionsWindow::quit_requested, this, &AppFlow::end_program);
    connect(conditions_, &ConditionsWindow::viewer_requested, this, &AppFlow::on_viewer_requested);
  }
  show_centred_first_time(conditions_);
}

void AppFlow::on_intro_ok() {
  show_conditions_window();
  intro_->hide();
}

// The conditions window has deleted B2F.dat; it is unloaded, and the next "OK" loads it afresh.
void AppFlow::on_conditions_closed() {
  ConditionsWindow* unloaded = conditions_;
  conditions_ = nullptr;
  intro_->show();
  if (unloaded != nullptr) unloaded->deleteLater();
}

void AppFlow::on_viewer_requested() {
  if (viewer_ == nullptr) {
    viewer_ = new ResultsViewer();
    if (!viewer_->testAttribute(Qt::WA_SetWindowIcon)) {
      viewer_->setWindowIcon(QIcon(QStringLiteral(":/resources/form2.png")));
    }
    connect(viewer_, &ResultsViewer::back_requested, this, &AppFlow::on_viewer_back);
    connect(viewer_, &ResultsViewer::closed, this, &AppFlow::on_viewer_closed);
  }
  viewer_->viewer_reset();
  show_centred_first_time(viewer_);
  if (conditions_ != nullptr) conditions_->hide();
}

void AppFlow::on_viewer_back() {
  show_conditions_window();
  if (viewer_ != nullptr) viewer_->hide();
}

void AppFlow::on_viewer_closed() {
  ResultsViewer* unloaded = viewer_;
  viewer_ = nullptr;
  show_conditions_window();
  if (unloaded != nullptr) unloaded->deleteLater();
}

void AppFlow::end_program() {
  if (ended_) return;
  ended_ = true;
  for (QWidget* window : {static_cast<QWidget*>(viewer_.data()), static_cast<QWidget*>(conditions_.data()),
                          static_cast<QWidget*>(intro_.get())}) {
    if (window != nullptr) window->hide();
  }
  emit program_ended();
}
