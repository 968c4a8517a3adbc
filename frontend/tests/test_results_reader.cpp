// Reading results files: the preview's ten lines, the full read and its failures.
#include <QTemporaryDir>
#include <QTest>

#include "results_reader.h"
#include "viewer_test_support.h"

using namespace velmora;

class TestResultsReader : public QObject {
  Q_OBJECT

 private slots:
  void full_read_data();
  void full_read();
  void row_over_two_lines_reads_like_one();
  void field_values_data();
  void field_values();
  void header_lines_for_preview();

 private:
  QString fixture(const QString& name) { return QString(VELMORA_TEST_DATA_DIR) + '/' + name; }
  QTemporaryDir scratch_;
};

void TestResultsReader::full_read_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("readable");
  QTest::addColumn<int>("rows");
  QTest::addColumn<double>("kv");

  using viewer_test::results_file_text;
  const QByteArray conditions = results_file_text(150, 0);
  QTest::newRow("300 kV, 600 rows") << results_file_text(300) << true << 600 << 300.0;
  QTest::newRow("150 kV, 300 rows") << results_file_text(150) << true << 300 << 150.0;
  QTest::newRow("headings only, 0 rows") << conditions << true << 0 << 150.0;
  QTest::newRow("LF line ends, no final line end")
      << QByteArray(results_file_text(1).replace("\r\n", "\n").chopped(1)) << true << 2 << 1.0;
  QTest::newRow("601st row begins") << results_file_text(300) + " 300.5,1" << false << 0 << 0.0;
  QTest::newRow("601 whole rows") << results_file_text(300.5) << false << 0 << 0.0;
  QTest::newRow("file ends inside a row") << results_file_text(150, 3).chopped(30) << false << 0 << 0.0;
  QTest::newRow("blank line after the last row") << results_file_text(150, 3) + "\r\n" << false << 0 << 0.0;
  QTest::newRow("ten lines only") << conditions.left(conditions.lastIndexOf(" keV")) << false << 0 << 0.0;
  QTest::newRow("empty file") << QByteArray() << false << 0 << 0.0;
}

void TestResultsReader::full_read() {
  QFETCH(QByteArray, text);
  QFETCH(bool, readable);
  QFETCH(int, rows);
  QFETCH(double, kv);
  const QString path = scratch_.filePath("run.csv");
  QVERIFY(viewer_test::write_file(path, text));

  const std::unique_ptr<ResultsFileContent> content = read_results_file(path);
  QCOMPARE(bool(content), readable);
  if (!readable) return;
  QCOMPARE(content->rows.loaded_row_count, rows);
  QCOMPARE(content->header_lines.size(), header_line_count);
  QCOMPARE(content->header_lines[0], QString(" Constant potential rectification"));
  QCOMPARE(content->heading_line, QString(viewer_test::heading_line()));

  // Every field in its place, and the largest total over all depths and rows.
  double largest_total = 0;
  for (int n = 1; n <= rows; ++n) {
    const viewer_test::Row expected = viewer_test::synthetic_row(n, kv);
    QCOMPARE(content->rows.loaded_first_column[n], 0.5 * n);
    QCOMPARE(content->rows.loaded_incident[n], expected.incident);
    for (int d = 1; d <= 6; ++d) {
      QCOMPARE(content->rows.loaded_tally[d][1][n], expected.primary[d - 1]);
      QCOMPARE(content->rows.loaded_tally[d][2][n], expected.scatter[d - 1]);
      QCOMPARE(content->rows.loaded_tally[d][3][n], expected.primary[d - 1] + expected.scatter[d - 1]);
      largest_total = std::max(largest_total, content->rows.loaded_tally[d][3][n]);
    }
  }
  QCOMPARE(content->max_total_all_depths, largest_total);
  // Nothing is left above the rows of this file.
  if (rows < max_loaded_rows) QCOMPARE(content->rows.loaded_tally[1][3][rows + 1], 0.0);
}

void TestResultsReader::row_over_two_lines_reads_like_one() {
  const auto one_line = read_results_file(fixture("two_rows.csv"));
  const auto split = read_results_file(fixture("two_rows_split.csv"));
  QVERIFY(one_line && split);
  QCOMPARE(split->rows.loaded_row_count, 2);
  QCOMPARE(split->rows.loaded_incident[1], 101.0);
  QCOMPARE(split->rows.loaded_tally[6][3][1], 119.0);
  QCOMPARE(split->rows.loaded_tally[6][3][2], 219.0);
  QCOMPARE(split->max_total_all_depths, 219.0);
  QVERIFY(std::memcmp(&one_line->rows, &split->rows, sizeof(LoadedResults)) == 0);

  QVERIFY(!read_results_file(fixture("last_row_19_fields.csv")));
  QVERIFY(!read_results_file(fixture("no_such_file.csv")));
}

void TestResultsReader::field_values_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<double>("value");
  QTest::newRow("energy without leading zero") << "    .5" << 0.5;
  QTest::newRow("count with trailing point") << "      123." << 123.0;
  QTest::newRow("zero count") << "        0." << 0.0;
  QTest::newRow("exponent") << " 1.5E2" << 150.0;
  QTest::newRow("sign") << " -3.25" << -3.25;
  QTest::newRow("number then text") << "12 keV" << 12.0;
  QTest::newRow("text") << "abc" << 0.0;
  QTest::newRow("empty") << "" << 0.0;
  QTest::newRow("out of range") << "1e999" << 0.0;
}

void TestResultsReader::field_values() {
  QFETCH(QString, field);
  QFETCH(double, value);
  QCOMPARE(field_value(field), value);
}

void TestResultsReader::header_lines_for_preview() {
  QStringList lines{"kept"};
  QVERIFY(!read_header_lines(fixture("nine_lines.csv"), lines));
  QVERIFY(!read_header_lines(fixture("no_such_file.csv"), lines));
  QCOMPARE(lines, QStringList{"kept"});

  QVERIFY(read_header_lines(fixture("two_rows.csv"), lines));
  QCOMPARE(lines, viewer_test::condition_lines(150));
}

QTEST_GUILESS_MAIN(TestResultsReader)
#include "test_results_reader.moc"
