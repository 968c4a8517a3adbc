// Form2 through its controls: the lists, preview, full read, options, reset, the draw states
// and the mouse read-out.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "message_box_catcher.h"
#include "results_reader.h"
#include "results_viewer.h"
#include "spectrum_plot.h"
#include "viewer_test_support.h"
#include "volume_list.h"

using namespace velmora;

namespace {

const QString no_file_chosen = QStringLiteral("ファイルを選んで下さい");
const QString file_unreadable = QStringLiteral("ファイルが正しく読み込めません");

// Whether every non-white pixel of `part` is non-white in `whole` as well.
bool drawn_over(const QImage& part, const QImage& whole) {
  for (int y = 0; y < part.height(); ++y) {
    for (int x = 0; x < part.width(); ++x) {
      if (part.pixelColor(x, y) != Qt::white && whole.pixelColor(x, y) == Qt::white) return false;
    }
  }
  return true;
}

}  // namespace

class TestResultsViewer : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void init();
  void cleanup();
  void folder_and_file_lists();
  void drive_change_goes_to_the_drives_current_folder();
  void full_read_and_its_failures();
  void preview();
  void options_and_reset();
  void keys_follow_the_focus();
  void draw_states();
  void magnification_keeps_text3_unmagnified();
  void mouse_read_out();

 private:
  template <typename T>
  T* control(const char* name) {
    T* found = viewer_->findChild<T*>(name);
    if (!found) qFatal("no control %s", name);
    return found;
  }
  SpectrumPlot* picture() { return control<SpectrumPlot>("Picture1"); }
  void click_file(const QString& name);
  QList<SeenMessage> read_file(const QString& name);
  void choose_depth(const char* option) { control<QRadioButton>(option)->click(); }
  void draw() { control<QPushButton>("Command2")->click(); }
  void move_mouse(double x, double y);
  static void double_click(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  }

  QTemporaryDir root_;
  QString working_folder_before_;
  std::unique_ptr<ResultsViewer> viewer_;
};

void TestResultsViewer::initTestCase() {
  QVERIFY(root_.isValid());
  const QDir root(root_.path());
  QVERIFY(root.mkpath("sub/deeper"));
  using viewer_test::write_file;
  QVERIFY(write_file(root.filePath("run150.csv"), viewer_test::results_file_text(150)));
  QVERIFY(write_file(root.filePath("RUN300.CSV"), viewer_test::results_file_text(300)));
  QVERIFY(write_file(root.filePath("notes.txt"), "not a results file\r\n"));
  QVERIFY(QFile::copy(QString(VELMORA_TEST_DATA_DIR) + "/last_row_19_fields.csv", root.filePath("broken.csv")));
  QVERIFY(QFile::copy(QString(VELMORA_TEST_DATA_DIR) + "/nine_lines.csv", root.filePath("short.csv")));
  QVERIFY(write_file(root.filePath("sub/inner.csv"), viewer_test::results_file_text(80)));
  // Two drives: the machine's top and the test's folder, which holds the working folder.
  set_volume_provider([this] { return QStringList{"/", root_.path()}; });
  working_folder_before_ = QDir::currentPath();
  QVERIFY(QDir::setCurrent(root.filePath("sub")));
}

void TestResultsViewer::init() {
  loaded_results() = LoadedResults();
  plot_settings() = PlotSettings();
  viewer_ = std::make_unique<ResultsViewer>();
  viewer_->viewer_reset();
  viewer_->show();
  QVERIFY(QTest::qWaitForWindowExposed(viewer_.get()));
  viewer_->set_folder_path(root_.path());
}

void TestResultsViewer::cleanupTestCase() {
  QDir::setCurrent(working_folder_before_);
  set_volume_provider({});
}

void TestResultsViewer::cleanup() { viewer_.reset(); }

void TestResultsViewer::click_file(const QString& name) {
  QListWidget* files = control<QListWidget>("File1");
  const QList<QListWidgetItem*> items = files->findItems(name, Qt::MatchExactly);
  QVERIFY2(items.size() == 1, qPrintable(name));
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items[0]).center());
}

QList<SeenMessage> TestResultsViewer::read_file(const QString& name) {
  return run_dismissing_messages([&] {
    if (!name.isEmpty()) click_file(name);
    control<QPushButton>("Command1")->click();
  });
}

void TestResultsViewer::move_mouse(double x, double y) {
  SpectrumPlot* plot = picture();
  const QPointF local = plot->to_pixel(x, y) + QPointF(plot->contentsRect().topLeft()) + QPointF(0.5, 0.5);
  QMouseEvent move(QEvent::MouseMove, local, plot->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(plot, &move);
}

void TestResultsViewer::folder_and_file_lists() {
  QListWidget* folders = control<QListWidget>("Dir1");
  QListWidget* files = control<QListWidget>("File1");
  auto texts = [](QListWidget* list) {
    QStringList all;
    for (int i = 0; i < list->count(); ++i) all.append(list->item(i)->text().trimmed());
    return all;
  };
  // "*.csv" in any case, no other files.
  QCOMPARE(texts(files), (QStringList{"broken.csv", "run150.csv", "RUN300.CSV", "short.csv"}));
  QCOMPARE(texts(folders), (QStringList{root_.path(), "sub"}));

  // A double-click enters a subfolder; the file list follows.
  double_click(folders, 1);
  QCOMPARE(viewer_->folder_path(), root_.filePath("sub"));
  QCOMPARE(texts(folders), (QStringList{root_.path(), "sub", "deeper"}));
  QCOMPARE(texts(files), QStringList{"inner.csv"});
  // And one on the way back up leaves it.
  double_click(folders, 0);
  QCOMPARE(viewer_->folder_path(), root_.path());
}

void TestResultsViewer::drive_change_goes_to_the_drives_current_folder() {
  QComboBox* drives = control<QComboBox>("Drive1");
  QCOMPARE(drives->count(), 2);
  viewer_->viewer_reset();
  QCOMPARE(drives->currentText(), root_.path());
  QCOMPARE(viewer_->folder_path(), root_.filePath("sub"));  // the working folder

  drives->setCurrentIndex(0);
  QCOMPARE(viewer_->folder_path(), QString("/"));
  drives->setCurrentIndex(1);
  QCOMPARE(viewer_->folder_path(), root_.filePath("sub"));
  QCOMPARE(control<QListWidget>("File1")->item(0)->text(), QString("inner.csv"));
}

void TestResultsViewer::full_read_and_its_failures() {
  QPushButton* graph_draw = control<QPushButton>("Command2");
  QList<SeenMessage> seen = read_file(QString());
  QCOMPARE(seen.size(), 1);
  QCOMPARE(seen[0].text, no_file_chosen);
  QCOMPARE(seen[0].icon, QMessageBox::Warning);
  QVERIFY(seen[0].ok_button && seen[0].button_count == 1 && seen[0].modal);
  QVERIFY(!graph_draw->isEnabled());

  // Clicks into the empty part of the list or with Ctrl held keep the chosen file.
  click_file("run150.csv");
  QListWidget* files = control<QListWidget>("File1");
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, QPoint(10, files->viewport()->height() - 5));
  QVERIFY(read_file(QString()).isEmpty());
  QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    files->visualItemRect(files->currentItem()).center());
  QVERIFY(read_file(QString()).isEmpty());
  QVERIFY(graph_draw->isEnabled());
  QCOMPARE(loaded_results().loaded_row_count, 300);
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(150));
  choose_depth("Option5");
  draw();
  const QString normaliser = control<QLineEdit>("Text3")->text();
  const QImage good_graph = picture()->image();

  // A failed read, during its rows or before them, leaves the last good read whole.
  const auto before = std::make_unique<LoadedResults>(loaded_results());
  // short.csv fails in its preview as well.
  for (const auto& [name, messages] : {std::pair{"broken.csv", 1}, std::pair{"short.csv", 2}}) {
    seen = read_file(name);
    QCOMPARE(seen.size(), messages);
    for (const SeenMessage& message : seen) QCOMPARE(message.text, file_unreadable);
    QVERIFY(std::memcmp(&loaded_results(), before.get(), sizeof(LoadedResults)) == 0);
    QVERIFY(graph_draw->isEnabled());
  }
  // The header is that of broken.csv's preview (the same conditions); the data are run150.csv's.
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(150));
  draw();
  QCOMPARE(control<QLineEdit>("Text3")->text(), normaliser);
  QCOMPARE(picture()->image(), good_graph);
}

void TestResultsViewer::preview() {
  QVERIFY(read_file("run150.csv").isEmpty());
  choose_depth("Option2");
  draw();
  QCOMPARE(plot_settings().plot_drawn, 1);
  QVERIFY(!control<QLineEdit>("Text3")->text().isEmpty());

  click_file("RUN300.CSV");
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(300));
  QVERIFY(control<QLineEdit>("Text3")->text().isEmpty());
  QVERIFY(control<QPushButton>("Command1")->hasFocus());
  // The graph is gone; only the ten lines are on the surface, from the frame's top down.
  const QImage& image = picture()->image();
  int coloured = 0, dark_rows_from = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() != c.green() || c.green() != c.blue()) ++coloured;
      if (dark_rows_from < 0 && c.lightness() < 100) dark_rows_from = y;
    }
  }
  QCOMPARE(coloured, 0);
  QVERIFY(qAbs(dark_rows_from - picture()->to_pixel(0, 1000).y()) < 8);
  // The loaded data and the draw state stay.
  QCOMPARE(loaded_results().loaded_row_count, 300);
  QCOMPARE(plot_settings().plot_drawn, 1);
  QVERIFY(control<QPushButton>("Command2")->isEnabled());

  // Moving through the list with the keys previews as well.
  QListWidget* files = control<QListWidget>("File1");
  files->setFocus();
  QTest::keyClick(files, Qt::Key_Up);
  QCOMPARE(files->currentItem()->text(), QString("run150.csv"));
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(150));
  QTest::keyClick(files, Qt::Key_Down);
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(300));

  // A file without ten lines: a message and nothing else.
  const QImage shown = image;
  const QList<SeenMessage> seen = run_dismissing_messages([&] { click_file("short.csv"); });
  QCOMPARE(seen.size(), 1);
  QCOMPARE(seen[0].text, file_unreadable);
  QCOMPARE(picture()->image(), shown);
  QCOMPARE(viewer_->plot_values().header_lines, viewer_test::condition_lines(300));
}

void TestResultsViewer::options_and_reset() {
  QVERIFY(read_file("run150.csv").isEmpty());
  control<QRadioButton>("Option8")->click();
  QCOMPARE(plot_settings().normalize_on, 1);
  control<QRadioButton>("Option9")->click();
  QCOMPARE(plot_settings().normalize_on, 0);
  control<QRadioButton>("Option8")->click();
  for (const auto& [name, factor] : {std::pair{"Option11", 0.5}, std::pair{"Option12", 0.25}}) {
    control<QRadioButton>(name)->click();
    QCOMPARE(plot_settings().vertical_factor, factor);
  }
  control<QCheckBox>("Check2")->setChecked(false);
  choose_depth("Option6");
  QVERIFY(control<QPushButton>("Command2")->hasFocus());
  draw();
  move_mouse(1000, 500);
  QVERIFY(!control<QLineEdit>("Text1")->text().isEmpty());

  viewer_->viewer_reset();
  QVERIFY(!control<QPushButton>("Command2")->isEnabled());
  for (const char* box : {"Check1", "Check2", "Check3"}) QVERIFY(control<QCheckBox>(box)->isChecked());
  QVERIFY(control<QRadioButton>("Option9")->isChecked());
  QVERIFY(control<QRadioButton>("Option10")->isChecked());
  QVERIFY(control<QRadioButton>("Option6")->isChecked());  // the depth choice stays
  QCOMPARE(plot_settings().plot_drawn, 0);
  QCOMPARE(plot_settings().normalize_on, 0);
  QCOMPARE(plot_settings().vertical_factor, 1.0);
  for (const char* box : {"Text1", "Text2", "Text3"}) QVERIFY(control<QLineEdit>(box)->text().isEmpty());
  QVERIFY(picture()->line1()->isHidden() && picture()->line2()->isHidden());
  QImage blank(picture()->image().size(), QImage::Format_RGB32);
  blank.fill(Qt::white);
  QCOMPARE(picture()->image(), blank);
  QCOMPARE(viewer_->folder_path(), root_.filePath("sub"));

  // A depth option while "Graph draw" is disabled changes nothing.
  choose_depth("Option2");
  QCOMPARE(picture()->image(), blank);
}

void TestResultsViewer::keys_follow_the_focus() {
  auto press = [](Qt::Key key) {
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, key);
    QCoreApplication::processEvents();
  };
  // Enter on the focused button after a preview reads the file, and after the read draws.
  click_file("run150.csv");
  QVERIFY(control<QPushButton>("Command1")->hasFocus());
  press(Qt::Key_Return);
  QCOMPARE(loaded_results().loaded_row_count, 300);
  QVERIFY(control<QPushButton>("Command2")->hasFocus());
  // A depth chosen with the arrow keys hands the focus on to "Graph draw" as a click does.
  control<QRadioButton>("Option4")->setChecked(true);
  control<QRadioButton>("Option4")->setFocus();
  press(Qt::Key_Down);
  QVERIFY(control<QRadioButton>("Option5")->isChecked());
  QVERIFY(control<QPushButton>("Command2")->hasFocus());
  press(Qt::Key_Enter);
  QCOMPARE(plot_settings().plot_drawn, 1);
  QCOMPARE(viewer_->plot_values().plot_depth_index, 4);
}

void TestResultsViewer::draw_states() {
  QVERIFY(read_file("run150.csv").isEmpty());
  // Normalisation off: every draw starts a fresh chart.
  choose_depth("Option2");
  draw();
  choose_depth("Option7");
  draw();
  const QImage after_two = picture()->image();
  control<QPushButton>("Command6")->click();
  QVERIFY(control<QLineEdit>("Text3")->text().isEmpty());
  QCOMPARE(plot_settings().plot_drawn, 0);
  draw();
  QCOMPARE(picture()->image(), after_two);
  const QString own_maximum = control<QLineEdit>("Text3")->text();

  // Normalisation on: the graphs pile up on the common scale of the file's largest total.
  control<QRadioButton>("Option8")->click();
  control<QPushButton>("Command6")->click();
  choose_depth("Option2");
  draw();
  const QImage first = picture()->image();
  const QString common = QString::number(viewer_->plot_values().max_total_all_depths, 'f', 0);
  QCOMPARE(control<QLineEdit>("Text3")->text(), common);
  choose_depth("Option7");
  draw();
  const QImage overlaid = picture()->image();
  QCOMPARE(control<QLineEdit>("Text3")->text(), common);
  QVERIFY(own_maximum != common);
  QVERIFY(drawn_over(first, overlaid));
  QVERIFY(overlaid != first);

  // "Graph Clear" starts afresh: the 0 cm curves are gone.
  control<QPushButton>("Command6")->click();
  draw();
  const QImage alone = picture()->image();
  QVERIFY(drawn_over(alone, overlaid));
  QVERIFY(!drawn_over(first, alone));
}

void TestResultsViewer::magnification_keeps_text3_unmagnified() {
  QVERIFY(read_file("run150.csv").isEmpty());
  choose_depth("Option5");
  draw();
  const QString unmagnified = control<QLineEdit>("Text3")->text();
  control<QRadioButton>("Option12")->click();
  draw();
  QCOMPARE(control<QLineEdit>("Text3")->text(), unmagnified);
  QCOMPARE(plot_settings().plot_normaliser, unmagnified.toDouble() * 0.25);
}

void TestResultsViewer::mouse_read_out() {
  // A longer file first: its rows must not show through a shorter one.
  QVERIFY(read_file("RUN300.CSV").isEmpty());
  QVERIFY(read_file("run150.csv").isEmpty());
  move_mouse(1000, 500);  // nothing drawn yet: nothing changes
  QVERIFY(control<QLineEdit>("Text1")->text().isEmpty());
  QVERIFY(picture()->line2()->isHidden());

  choose_depth("Option5");
  draw();
  move_mouse(4000, 500);
  QCOMPARE(control<QLineEdit>("Text1")->text(), QString("200.5"));
  QCOMPARE(control<QLineEdit>("Text2")->text(), QString("0.00000"));
  QVERIFY(picture()->line1()->isVisible() && picture()->line2()->isVisible());
  const int frame_bottom = picture()->contentsRect().top() + int(picture()->to_pixel(0, 0).y());
  QCOMPARE(picture()->line1()->geometry().top(), frame_bottom);
  QCOMPARE(viewer_->cursor().shape(), Qt::CrossCursor);
  const QImage line = picture()->grab(picture()->line2()->geometry()).toImage();
  QCOMPARE(line.pixelColor(0, line.height() / 2), QColor(255, 0, 0));

  move_mouse(2995, 10);
  QCOMPARE(control<QLineEdit>("Text1")->text(), QString("150.0"));
  move_mouse(0, 10);
  QCOMPARE(control<QLineEdit>("Text1")->text(), QString(".5"));

  move_mouse(-100, 500);
  QVERIFY(control<QLineEdit>("Text1")->text().isEmpty() && control<QLineEdit>("Text2")->text().isEmpty());
  QVERIFY(picture()->line1()->isHidden() && picture()->line2()->isHidden());
  QCOMPARE(viewer_->cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(TestResultsViewer)
#include "test_results_viewer.moc"
