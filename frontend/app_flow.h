// The three windows of the front end and the ways between them; one is visible at a time.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "conditions_window.h"
#include "intro_window.h"
#include "results_viewer.h"

class AppFlow : public QObject {
  Q_OBJECT

 public:
  explicit AppFlow(QObject* parent = nullptr);
  ~AppFlow() override;

  // Shows the intro window, the program's entry screen.
  void start();

  [[nodiscard]] IntroWindow* intro_window() const { return intro_.get(); }
  // Null while the window is not loaded.
  [[nodiscard]] ConditionsWindow* conditions_window() const { return conditions_; }
  [[nodiscard]] ResultsViewer* results_viewer() const { return viewer_; }
  [[nodiscard]] SelectionCodes& selection_codes() { return codes_; }
  [[nodiscard]] bool has_ended() const { return ended_; }

 signals:
  // The program ends at once: no window's closing actions run. main() quits the event loop.
  void program_ended();

 private:
  void show_conditions_window();
  void on_intro_ok();
  void on_conditions_closed();
  void on_viewer_requested();
  void on_viewer_back();
  void on_viewer_closed();
  void end_program();

  SelectionCodes codes_;
  std::unique_ptr<IntroWindow> intro_;
  QPointer<ConditionsWindow> conditions_;
  QPointer<ResultsViewer> viewer_;
  bool ended_ = false;
};
