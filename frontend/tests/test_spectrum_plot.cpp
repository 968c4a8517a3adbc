// Picture1: user coordinates, the drawing steps as seen in the kept image, and the read-out.
#include <QTemporaryDir>
#include <QTest>

#include "plot_masks.h"
#include "results_reader.h"
#include "spectrum_plot.h"
#include "viewer_test_support.h"

using namespace velmora;

namespace {

const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);

// The topmost row of `region` that holds a pixel of `colour`, or -1.
int topmost_row(const QImage& image, const QColor& colour, const QRect& region) {
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) {
      if (image.pixelColor(x, y) == colour) return y;
    }
  }
  return -1;
}

bool all_white(const QImage& image, const QRect& region) {
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) {
      if (image.pixelColor(x, y) != Qt::white) return false;
    }
  }
  return true;
}

// Whether `colour` is at `centre` or one of its eight neighbours.
bool colour_near(const QImage& image, const QPointF& centre, const QColor& colour) {
  return topmost_row(image, colour, QRect(centre.toPoint() - QPoint(1, 1), QSize(3, 3))) >= 0;
}

}  // namespace

class TestSpectrumPlot : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void user_coordinates();
  void depth_graph_scaled_to_its_total();
  void unchecked_total_keeps_the_total_as_scale();
  void incident_graph();
  void magnified_curves_are_clipped();
  void zero_normaliser_draws_no_curve();
  void read_out_data();
  void read_out();
  void crosshair_stays_inside_the_border();
  void masks_data();
  void masks();

 private:
  void load(double kv);
  QRect frame_interior() const;
  QRect above_frame() const;

  std::unique_ptr<SpectrumPlot> plot_;
  LoadedResults data_;
  PlotSettings settings_;
  PlotWindowValues values_;
  QTemporaryDir scratch_;
};

void TestSpectrumPlot::initTestCase() {
  plot_ = std::make_unique<SpectrumPlot>();
  plot_->resize(889, 585);  // 13335 x 8775 twips at 96 DPI
  plot_->show();
  QVERIFY(QTest::qWaitForWindowExposed(plot_.get()));
}

void TestSpectrumPlot::init() {
  data_ = LoadedResults();
  settings_ = PlotSettings();
  values_ = PlotWindowValues();
  plot_->clear();
}

void TestSpectrumPlot::load(double kv) {
  const QString path = scratch_.filePath("run.csv");
  QVERIFY(viewer_test::write_file(path, viewer_test::results_file_text(kv)));
  const auto content = read_results_file(path);
  QVERIFY(content);
  data_ = content->rows;
  values_.header_lines = content->header_lines;
  values_.max_total_all_depths = content->max_total_all_depths;
}

QRect TestSpectrumPlot::frame_interior() const {
  const QPoint bottom_left = plot_->to_pixel(0, 0).toPoint();
  const QPoint top_right = plot_->to_pixel(6000, 1000).toPoint();
  return QRect(QPoint(bottom_left.x() + 2, top_right.y() + 2), QPoint(top_right.x() - 2, bottom_left.y() - 2));
}

QRect TestSpectrumPlot::above_frame() const {
  const QPoint top_right = plot_->to_pixel(6000, 1000).toPoint();
  return QRect(QPoint(plot_->to_pixel(0, 0).toPoint().x() + 2, 0), QPoint(top_right.x() - 2, top_right.y() - 2));
}

void TestSpectrumPlot::user_coordinates() {
  QCOMPARE(plot_->image().size(), QSize(885, 581));  // 13275 x 8715 twips inside the border
  QCOMPARE(plot_->to_pixel(-700, 1020), QPointF(0, 0));
  QCOMPARE(plot_->to_pixel(6100, -130), QPointF(885, 581));
  const QPointF user = plot_->to_user(plot_->to_pixel(3000, 500));
  QVERIFY(qAbs(user.x() - 3000) < 1e-9 && qAbs(user.y() - 500) < 1e-9);
}

void TestSpectrumPlot::depth_graph_scaled_to_its_total() {
  load(150);
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{4, true, true, true});
  QCOMPARE(settings_.plot_drawn, 1);
  QCOMPARE(values_.plot_depth_index, 4);
  QCOMPARE(values_.legend_title, QString("depth = 10 cm"));
  const QImage& image = plot_->image();
  const QRect interior = frame_interior();
  // The red total touches the frame's top line, and nothing stands above the frame.
  QVERIFY(topmost_row(image, red, interior) <= interior.top() + 1);
  QVERIFY(all_white(image, above_frame()));
  QVERIFY(topmost_row(image, blue, interior) >= 0);
  QVERIFY(topmost_row(image, green, interior) >= 0);
  // The legend's three lines.
  for (const auto& [y, colour] : {std::pair{375, blue}, std::pair{325, green}, std::pair{275, red}}) {
    QVERIFY(colour_near(image, plot_->to_pixel(3200, y), colour));
  }
  // The grid is under the curves.
  QVERIFY(colour_near(image, plot_->to_pixel(5000, 150), QColor(192, 192, 192)));
}

void TestSpectrumPlot::unchecked_total_keeps_the_total_as_scale() {
  load(150);
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{4, true, true, false});
  const QImage& image = plot_->image();
  const QRect interior = frame_interior();
  // Only the legend is red; the primary and scatter curves stay clearly below the top.
  QCOMPARE(topmost_row(image, red, interior), plot_->to_pixel(0, 275).toPoint().y() - 1);
  QVERIFY(topmost_row(image, blue, interior) > interior.top() + 20);
  QVERIFY(topmost_row(image, green, interior) > interior.top() + 20);
}

void TestSpectrumPlot::incident_graph() {
  load(150);
  values_.plot_depth_index = 3;
  values_.legend_title = "depth = 5 cm";
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{0, true, true, true});
  QCOMPARE(values_.legend_title, QString("Incident spectrum"));
  QCOMPARE(values_.plot_depth_index, 3);  // the depth of the last depth graph stays
  const QImage& image = plot_->image();
  QVERIFY(topmost_row(image, blue, frame_interior()) <= frame_interior().top() + 1);
  QCOMPARE(topmost_row(image, red, QRect(QPoint(0, 0), image.size())), -1);  // no legend
  double largest = 0;
  for (int n = 1; n <= 300; ++n) largest = std::max(largest, data_.loaded_incident[n]);
  QCOMPARE(settings_.plot_normaliser, largest);
}

void TestSpectrumPlot::magnified_curves_are_clipped() {
  load(150);
  settings_.vertical_factor = 0.25;
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{1, true, true, true});
  double largest = 0;
  for (int n = 1; n <= 300; ++n) largest = std::max(largest, data_.loaded_tally[1][3][n]);
  QCOMPARE(settings_.plot_normaliser, largest * 0.25);
  QCOMPARE(normaliser_text(settings_), QString::number(std::floor(largest), 'f', 0));
  // Four times taller: the total is cut at the frame's top, and nothing is left above it.
  QVERIFY(topmost_row(plot_->image(), red, frame_interior()) <= frame_interior().top() + 1);
  QVERIFY(all_white(plot_->image(), above_frame()));
}

void TestSpectrumPlot::zero_normaliser_draws_no_curve() {
  values_.header_lines = viewer_test::condition_lines(150);
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{2, true, true, true});
  QCOMPARE(settings_.plot_normaliser, 0.0);
  QCOMPARE(normaliser_text(settings_), QString("0"));
  const QRect curves(frame_interior().topLeft(),
                     QPoint(plot_->to_pixel(2900, 0).toPoint().x(), frame_interior().bottom()));
  QCOMPARE(topmost_row(plot_->image(), blue, curves), -1);
  const ReadOut result = velmora::read_out(100, 100, data_, settings_, values_, false);
  QCOMPARE(result.kind, ReadOut::Kind::inside);
  QVERIFY(!result.has_value);
  QCOMPARE(result.value_text, QString());
}

void TestSpectrumPlot::read_out_data() {
  QTest::addColumn<double>("x");
  QTest::addColumn<double>("y");
  QTest::addColumn<bool>("incident");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("bin");
  QTest::addColumn<QString>("energy");
  QTest::addColumn<QString>("value");
  using Kind = ReadOut::Kind;
  // A 150 kV file, total at 10 cm drawn against its own maximum; "*": the loaded value at the bin.
  QTest::newRow("left edge") << 0.0 << 0.0 << false << int(Kind::inside) << 1 << ".5"
                             << "*";
  QTest::newRow("bin 300") << 2995.0 << 500.0 << false << int(Kind::inside) << 300 << "150.0"
                           << "*";
  QTest::newRow("beyond the rows") << 4000.0 << 1000.0 << false << int(Kind::inside) << 401 << "200.5"
                                   << "0.00000";
  QTest::newRow("right edge stays in the rows") << 6000.0 << 10.0 << false << int(Kind::inside) << 600 << "300.0"
                                                << "0.00000";
  QTest::newRow("incident now selected") << 995.0 << 10.0 << true << int(Kind::inside) << 100 << "50.0"
                                         << "*";
  QTest::newRow("left margin") << -0.5 << 500.0 << false << int(Kind::outside) << 0 << ""
                               << "";
  QTest::newRow("above the frame") << 100.0 << 1000.5 << false << int(Kind::outside) << 0 << ""
                                   << "";
  QTest::newRow("below the frame") << 100.0 << -1.0 << false << int(Kind::outside) << 0 << ""
                                   << "";
}

void TestSpectrumPlot::read_out() {
  QFETCH(double, x);
  QFETCH(double, y);
  QFETCH(bool, incident);
  QFETCH(int, kind);
  QFETCH(int, bin);
  QFETCH(QString, energy);
  QFETCH(QString, value);
  // Before the first graph nothing changes.
  QCOMPARE(velmora::read_out(x, y, data_, settings_, values_, incident).kind, ReadOut::Kind::none);

  load(150);
  draw_graph(*plot_, data_, settings_, values_, GraphChoice{4, true, true, true});
  const ReadOut result = velmora::read_out(x, y, data_, settings_, values_, incident);
  QCOMPARE(int(result.kind), kind);
  QCOMPARE(result.bin, bin);
  QCOMPARE(result.energy_text, energy);
  if (value == "*") {
    // The total at the depth last drawn (or the incident count), over the graph's normaliser.
    const double v = incident ? data_.loaded_incident[bin] : data_.loaded_tally[4][3][bin];
    QVERIFY(v > 0);
    QCOMPARE(result.height, 1000 * v / settings_.plot_normaliser);
    QCOMPARE(result.value_text, QString::number(v / settings_.plot_normaliser, 'f', 5));
  } else {
    QCOMPARE(result.value_text, value);
  }
}

void TestSpectrumPlot::crosshair_stays_inside_the_border() {
  const QRect inner = plot_->contentsRect();
  // A magnified value just above the surface's top edge, far above it, and on the frame.
  for (const double height : {1020.5, 1021.0, 1024.0, 4000.0, 500.0}) {
    plot_->show_crosshair(6000, height);
    for (const QWidget* line : {plot_->line1(), plot_->line2()}) {
      QVERIFY2(line->geometry().isEmpty() || inner.contains(line->geometry()), qPrintable(QString::number(height)));
    }
  }
  QCOMPARE(plot_->line1()->geometry().width(), int(plot_->to_pixel(6000, 0).x()) - int(plot_->to_pixel(0, 0).x()) + 1);
  plot_->hide_crosshair();
}

void TestSpectrumPlot::masks_data() {
  QTest::addColumn<double>("number");
  QTest::addColumn<QString>("energy");
  QTest::addColumn<QString>("relative");
  QTest::newRow("half") << 0.5 << ".5"
                        << "0.50000";
  QTest::newRow("twelve") << 12.0 << "12.0"
                          << "12.00000";
  QTest::newRow("150.5") << 150.5 << "150.5"
                         << "150.50000";
  QTest::newRow("zero") << 0.0 << ".0"
                        << "0.00000";
  QTest::newRow("rounding") << 0.123456 << ".1"
                            << "0.12346";
  QTest::newRow("negative zero") << -0.0 << ".0"
                                 << "0.00000";
}

void TestSpectrumPlot::masks() {
  QFETCH(double, number);
  QFETCH(QString, energy);
  QFETCH(QString, relative);
  QCOMPARE(format_energy_mask(number), energy);
  QCOMPARE(format_relative_mask(number), relative);
}

QTEST_MAIN(TestSpectrumPlot)
#include "test_spectrum_plot.moc"
