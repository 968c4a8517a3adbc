// Form2: the results viewer. Picks a results file, previews its conditions, reads it whole
// and plots it on Picture1 with the chosen depth, curves, normalisation and vertical scale.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "spectrum_plot.h"

class QCloseEvent;
class QListWidgetItem;

namespace Ui {
class Form2;
}

class ResultsViewer : public QWidget {
  Q_OBJECT

 public:
  explicit ResultsViewer(QWidget* parent = nullptr);
  ~ResultsViewer() override;

  // Prepares the viewer before each showing from the conditions window.
  void viewer_reset();

  // Dir1's path; setting it lists the folder and makes the file list follow.
  QString folder_path() const { return folder_path_; }
  void set_folder_path(const QString& path);

  // The window-level values of the plot.
  const velmora::PlotWindowValues& plot_values() const { return values_; }

 signals:
  void back_requested();  // the back button (Command3)
  void closed();          // the close box: the viewer is unloaded

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void show_message(const QString& text);
  void refresh_drives();
  void drive_changed();
  void refresh_files();
  void folder_activated(QListWidgetItem* item);
  void preview();
  void full_read();
  void draw();
  void graph_clear();
  void mouse_moved(double x, double y);
  QString chosen_file_name() const;

  std::unique_ptr<Ui::Form2> ui_;
  velmora::PlotWindowValues values_;
  QStringList volumes_;
  QString folder_path_;
  QString file_list_path_;
  bool refreshing_ = false;
  bool moving_by_key_ = false;
};
