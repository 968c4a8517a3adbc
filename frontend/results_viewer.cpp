#include "results_viewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QStyle>
#include <QTimer>

#include "results_reader.h"
#include "ui_results_viewer.h"
#include "volume_list.h"
#include "window_setup.h"

using namespace velmora;

namespace {

const QString no_file_chosen = QStringLiteral("ファイルを選んで下さい");
const QString file_unreadable = QStringLiteral("ファイルが正しく読み込めません");

constexpr int path_role = Qt::UserRole;

}  // namespace

ResultsViewer::ResultsViewer(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::Form2>()) {
  ui_->setupUi(this);
  setObjectName("Form2");
  setWindowTitle("Velmora");
  ensure_velmora_resources();
  setWindowIcon(QIcon(QStringLiteral(":/resources/form2.png")));

  // Sizes the layout format cannot hold.
  QFont label_font = ui_->Label1->font();
  label_font.setPointSizeF(15.75);
  ui_->Label1->setFont(label_font);
  for (QWidget* widget : {static_cast<QWidget*>(ui_->Command1), static_cast<QWidget*>(ui_->Text1),
                          static_cast<QWidget*>(ui_->Text2), static_cast<QWidget*>(ui_->Text3)}) {
    QFont font = widget->font();
    font.setPointSizeF(14.25);
    widget->setFont(font);
  }
  ui_->Command3->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
  ui_->Command3->setIconSize(QSize(28, 28));

  make_fixed_window(this, WindowBorder::FixedSingle);

  connect(ui_->Drive1, &QComboBox::currentIndexChanged, this, [this] {
    if (!refreshing_) drive_changed();
  });
  connect(ui_->Dir1, &QListWidget::itemActivated, this, &ResultsViewer::folder_activated);
  connect(ui_->File1, &QListWidget::itemClicked, this, [this] { preview(); });
  // A file once chosen stays chosen: a click into the empty part of the list or a click with
  // Ctrl held does not take the choice back.
  connect(ui_->File1, &QListWidget::itemSelectionChanged, this, [this] {
    QListWidgetItem* current = ui_->File1->currentItem();
    if (current && ui_->File1->selectedItems().isEmpty()) current->setSelected(true);
  });
  // Moving through the file list with the keys previews like a click.
  ui_->File1->installEventFilter(this);
  connect(ui_->File1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (moving_by_key_ && !refreshing_ && row >= 0) preview();
  });
  connect(ui_->Command1, &QPushButton::clicked, this, &ResultsViewer::full_read);
  // A depth option hands the focus on to "Graph draw" (nothing happens while it is disabled).
  // An option reached with the arrow keys takes the focus itself right after its click, so the
  // focus is handed on once more when that is done.
  for (QRadioButton* option :
       {ui_->Option1, ui_->Option2, ui_->Option3, ui_->Option4, ui_->Option5, ui_->Option6, ui_->Option7}) {
    connect(option, &QRadioButton::clicked, this, [this] {
      ui_->Command2->setFocus();
      QTimer::singleShot(0, ui_->Command2, [this] { ui_->Command2->setFocus(); });
    });
  }
  connect(ui_->Option8, &QRadioButton::clicked, this, [] { plot_settings().normalize_on = 1; });
  connect(ui_->Option9, &QRadioButton::clicked, this, [] { plot_settings().normalize_on = 0; });
  connect(ui_->Option10, &QRadioButton::clicked, this, [] { plot_settings().vertical_factor = 1.0; });
  connect(ui_->Option11, &QRadioButton::clicked, this, [] { plot_settings().vertical_factor = 0.5; });
  connect(ui_->Option12, &QRadioButton::clicked, this, [] { plot_settings().vertical_factor = 0.25; });
  connect(ui_->Command2, &QPushButton::clicked, this, &ResultsViewer::draw);
  connect(ui_->Command6, &QPushButton::clicked, this, &ResultsViewer::graph_clear);
  connect(ui_->Command3, &QPushButton::clicked, this, &ResultsViewer::back_requested);
  connect(ui_->Picture1, &SpectrumPlot::mouse_moved, this, &ResultsViewer::mouse_moved);

  ui_->Command2->setEnabled(false);
  refresh_drives();
  set_folder_path(current_folder_of(volumes_, ui_->Drive1->currentText()));
}

ResultsViewer::~ResultsViewer() = default;

bool ResultsViewer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->File1 && event->type() == QEvent::KeyPress) {
    // The key is handled right after this filter; the flag lasts until the event loop runs again.
    moving_by_key_ = true;
    QTimer::singleShot(0, this, [this] { moving_by_key_ = false; });
  }
  return QWidget::eventFilter(watched, event);
}

void ResultsViewer::show_message(const QString& text) { show_exclamation(this, text); }

void ResultsViewer::refresh_drives() {
  const QString chosen = ui_->Drive1->currentText();
  volumes_ = volume_list();
  refreshing_ = true;
  ui_->Drive1->clear();
  ui_->Drive1->addItems(volumes_);
  int index = volumes_.indexOf(chosen);
  if (index < 0) index = volumes_.indexOf(volume_of(volumes_, QDir::currentPath()));
  ui_->Drive1->setCurrentIndex(std::max(index, 0));
  refreshing_ = false;
}

void ResultsViewer::drive_changed() { set_folder_path(current_folder_of(volumes_, ui_->Drive1->currentText())); }

void ResultsViewer::set_folder_path(const QString& path) {
  folder_path_ = QDir::cleanPath(QDir(path).absolutePath());
  QString top = volume_of(volumes_, folder_path_);
  if (top.isEmpty()) top = "/";

  // The folder's way down from the drive's top, then its subfolders one level deeper.
  QStringList way{top};
  const QString below = folder_path_.mid(top.size());
  for (const QString& part : below.split('/', Qt::SkipEmptyParts)) way.append(part);
  QListWidget* list = ui_->Dir1;
  list->clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  QString walked;
  for (int level = 0; level < way.size(); ++level) {
    walked = level == 0 ? top : QDir(walked).filePath(way[level]);
    auto* item = new QListWidgetItem(open_icon, QString(level * 2, ' ') + way[level], list);
    item->setData(path_role, walked);
  }
  list->setCurrentRow(list->count() - 1);
  const QStringList subfolders =
      QDir(folder_path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : subfolders) {
    auto* item = new QListWidgetItem(closed_icon, QString(way.size() * 2, ' ') + name, list);
    item->setData(path_role, QDir(folder_path_).filePath(name));
  }

  // The file list follows the folder list.
  file_list_path_ = folder_path_;
  refresh_files();
}

void ResultsViewer::folder_activated(QListWidgetItem* item) {
  if (item) set_folder_path(item->data(path_role).toString());
}

void ResultsViewer::refresh_files() {
  refreshing_ = true;
  ui_->File1->clear();
  QDir folder(file_list_path_);
  folder.setNameFilters({"*.csv"});  // name filters ignore case unless told otherwise
  folder.setFilter(QDir::Files);
  folder.setSorting(QDir::Name | QDir::IgnoreCase);
  ui_->File1->addItems(folder.entryList());
  ui_->File1->setCurrentRow(-1);
  refreshing_ = false;
}

QString ResultsViewer::chosen_file_name() const {
  const QListWidgetItem* item = ui_->File1->currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

void ResultsViewer::preview() {
  const QString name = chosen_file_name();
  if (name.isEmpty()) return;
  QStringList lines;
  if (!read_header_lines(QDir(file_list_path_).filePath(name), lines)) {
    show_message(file_unreadable);
    return;
  }
  values_.header_lines = lines;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  print_preview(*ui_->Picture1, values_.header_lines);
  ui_->Text3->clear();
  ui_->Command1->setFocus();
}

void ResultsViewer::full_read() {
  const QString name = chosen_file_name();
  if (name.isEmpty()) {
    show_message(no_file_chosen);
    return;
  }
  // A failed read leaves everything as it was: the file goes into a fresh buffer first.
  std::unique_ptr<ResultsFileContent> content = read_results_file(QDir(file_list_path_).filePath(name));
  if (!content) {
    show_message(file_unreadable);
    return;
  }
  loaded_results() = content->rows;
  values_.header_lines = content->header_lines;
  values_.legend_title = content->heading_line;
  values_.max_total_all_depths = content->max_total_all_depths;
  plot_settings().plot_drawn = 0;
  ui_->Command2->setEnabled(true);
  ui_->Command2->setFocus();
}

void ResultsViewer::draw() {
  GraphChoice choice;
  const QRadioButton* depths[] = {ui_->Option1, ui_->Option2, ui_->Option3, ui_->Option4,
                                  ui_->Option5, ui_->Option6, ui_->Option7};
  for (int option = 0; option < 7; ++option) {
    if (depths[option]->isChecked()) choice.depth_option = option;
  }
  choice.primary = ui_->Check1->isChecked();
  choice.scatter = ui_->Check2->isChecked();
  choice.total = ui_->Check3->isChecked();
  draw_graph(*ui_->Picture1, loaded_results(), plot_settings(), values_, choice);
  ui_->Text3->setText(normaliser_text(plot_settings()));
}

void ResultsViewer::graph_clear() {
  ui_->Picture1->clear();
  ui_->Text3->clear();
  plot_settings().plot_drawn = 0;
}

void ResultsViewer::mouse_moved(double x, double y) {
  const ReadOut result = read_out(x, y, loaded_results(), plot_settings(), values_, ui_->Option1->isChecked());
  switch (result.kind) {
    case ReadOut::Kind::none:
      return;
    case ReadOut::Kind::inside:
      setCursor(Qt::CrossCursor);
      ui_->Picture1->show_crosshair(x, result.height);
      // Without a normaliser there is no value to mark.
      if (!result.has_value) ui_->Picture1->line1()->hide();
      ui_->Text1->setText(result.energy_text);
      ui_->Text2->setText(result.value_text);
      return;
    case ReadOut::Kind::outside:
      unsetCursor();
      ui_->Picture1->hide_crosshair();
      ui_->Text1->clear();
      ui_->Text2->clear();
      return;
  }
}

void ResultsViewer::viewer_reset() {
  refresh_drives();
  set_folder_path(current_folder_of(volumes_, ui_->Drive1->currentText()));
  ui_->Picture1->clear();
  ui_->Picture1->hide_crosshair();
  ui_->Text1->clear();
  ui_->Text2->clear();
  ui_->Text3->clear();
  unsetCursor();
  ui_->Command2->setEnabled(false);
  ui_->Check1->setChecked(true);
  ui_->Check2->setChecked(true);
  ui_->Check3->setChecked(true);
  PlotSettings& settings = plot_settings();
  settings.plot_drawn = 0;
  ui_->Option9->setChecked(true);
  settings.normalize_on = 0;
  ui_->Option10->setChecked(true);
  settings.vertical_factor = 1.0;
}

void ResultsViewer::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}
