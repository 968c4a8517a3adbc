// The writer's pieces of B2F.dat: reading typed numbers, the digit masks, the file itself.
#include <locale.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "conditions_file.h"
#include "number_text.h"

class TestConditionsFile : public QObject {
  Q_OBJECT

 private slots:
  void reads_leading_number_data();
  void reads_leading_number();
  void formats_with_mask_data();
  void formats_with_mask();
  void bounds_huge_exponents();
  void writes_default_lines();
  void encodes_name_in_locale_charset();
  void recognises_shift_jis_names();
  void takes_charset_from_environment();
  void saves_and_replaces_whole();
  void reports_failed_save();
  void deletes_ignoring_errors();
};

void TestConditionsFile::reads_leading_number_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<double>("value");
  QTest::newRow("plain") << "150" << 150.0;
  QTest::newRow("with unit") << "150 kV" << 150.0;
  QTest::newRow("thousands comma") << "1,000,000" << 1.0;
  QTest::newRow("letters") << "abc" << 0.0;
  QTest::newRow("empty") << "" << 0.0;
  QTest::newRow("blanks only") << "   " << 0.0;
  QTest::newRow("leading blanks and sign") << "  -2.5" << -2.5;
  QTest::newRow("plus sign") << "+7" << 7.0;
  QTest::newRow("blank after sign") << "- 3" << -3.0;
  QTest::newRow("blanks between digits") << "1 5" << 15.0;
  QTest::newRow("leading point") << ".5" << 0.5;
  QTest::newRow("trailing point") << "5." << 5.0;
  QTest::newRow("second point stops") << "1.2.3" << 1.2;
  QTest::newRow("exponent") << "1.5E2" << 150.0;
  QTest::newRow("lower-case negative exponent") << "25e-1" << 2.5;
  QTest::newRow("exponent without digits") << "1.5E" << 1.5;
  QTest::newRow("exponent sign without digits") << "1.5E+" << 1.5;
  QTest::newRow("exponent alone") << "E5" << 0.0;
  QTest::newRow("sign alone") << "-" << 0.0;
  QTest::newRow("double sign") << "+-5" << 0.0;
  QTest::newRow("leading zeros") << "0001000000." << 1e6;
  QTest::newRow("full-width digits are not digits") << QString::fromUtf8("１５０") << 0.0;
  QTest::newRow("beyond double") << "1E400" << std::numeric_limits<double>::infinity();
}

void TestConditionsFile::reads_leading_number() {
  QFETCH(QString, text);
  QFETCH(double, value);
  QCOMPARE(text_to_number(text), value);
}

void TestConditionsFile::formats_with_mask_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("mask");
  QTest::addColumn<QString>("written");
  QTest::newRow("voltage") << "150"
                           << "0000.0"
                           << "0150.0";
  QTest::newRow("voltage rounded down") << "150.04"
                                        << "0000.0"
                                        << "0150.0";
  QTest::newRow("half rounds up as typed") << "150.05"
                                           << "0000.0"
                                           << "0150.1";
  QTest::newRow("angle rounded") << "12.3456"
                                 << "00.000"
                                 << "12.346";
  QTest::newRow("half of the last decimal") << "0.0005"
                                            << "00.000"
                                            << "00.001";
  QTest::newRow("below half") << "0.00049"
                              << "00.000"
                              << "00.000";
  QTest::newRow("carry through nines") << "9999.96"
                                       << "0000.0"
                                       << "10000.0";
  QTest::newRow("digits beyond the mask") << "1234.5"
                                          << "0000.0"
                                          << "1234.5";
  QTest::newRow("negative") << "-2.5"
                            << "00.000"
                            << "-02.500";
  QTest::newRow("negative half away from zero") << "-0.0005"
                                                << "00.000"
                                                << "-00.001";
  QTest::newRow("negative rounding to zero") << "-0.0004"
                                             << "00.000"
                                             << "00.000";
  QTest::newRow("trailing point") << "1000000"
                                  << "0000000000."
                                  << "0001000000.";
  QTest::newRow("count rounded") << "1000000.5"
                                 << "0000000000."
                                 << "0001000001.";
  QTest::newRow("exponent") << "1.5E6"
                            << "0000000000."
                            << "0001500000.";
  QTest::newRow("zero") << "abc"
                        << "0000.0"
                        << "0000.0";
  QTest::newRow("eleven digits") << "12345678901"
                                 << "0000000000."
                                 << "12345678901.";
}

void TestConditionsFile::formats_with_mask() {
  QFETCH(QString, text);
  QFETCH(QString, mask);
  QFETCH(QString, written);
  QCOMPARE(format_with_mask(read_leading_number(text), mask), written);
}

void TestConditionsFile::bounds_huge_exponents() {
  // Every digit of a large number is written, and an absurd exponent cannot make it endless.
  QCOMPARE(format_with_mask(read_leading_number(u"1E20"), u"00.000"), QString("100000000000000000000.000"));
  QVERIFY(format_with_mask(read_leading_number(u"1E999999999999"), u"00.000").size() < 20000);
  QCOMPARE(format_with_mask(read_leading_number(u"1E-999999999999"), u"00.000"), QString("00.000"));
  QCOMPARE(format_with_mask(1, u"00"), QString("01"));
  QCOMPARE(format_with_mask(3, u"00"), QString("03"));
}

void TestConditionsFile::writes_default_lines() {
  ConditionsRecord record;
  record.tube_voltage_kv = read_leading_number(u"150");
  record.target_angle_deg = read_leading_number(u"12");
  record.inherent_filtration_mm = read_leading_number(u"2.5");
  record.al_filter_mm = read_leading_number(u"2");
  record.cu_filter_mm = read_leading_number(u"0.2");
  record.field_diameter_cm = read_leading_number(u"10");
  record.photons_per_cm2 = read_leading_number(u"1000000");
  record.formula_code = 2;
  record.rectification_code = 1;
  record.phantom_code = 1;
  record.results_file_name = "run1.csv";
  QCOMPARE(conditions_file_bytes(record, TextCharset::Utf8),
           QByteArray("0150.0\r\n12.000\r\n02.500\r\n02.000\r\n00.200\r\n0010.0\r\n0001000000.\r\n02\r\n01\r\n01\r\n"
                      "run1.csv\r\n"));
  // The name line is written as it is, blanks and all.
  record.results_file_name = QString::fromUtf8(" 結果 1 .csv");
  QVERIFY(conditions_file_bytes(record, TextCharset::ShiftJis).endsWith("\r\n01\r\n \x8c\x8b\x89\xca 1 .csv\r\n"));
}

void TestConditionsFile::encodes_name_in_locale_charset() {
  const QString name = QString::fromUtf8("結果ｱ-run.csv");
  QCOMPARE(encode_text(name, TextCharset::Utf8), name.toUtf8());
  QCOMPARE(encode_text(name, TextCharset::ShiftJis), QByteArray("\x8c\x8b\x89\xca\xb1-run.csv"));
  // A character Shift-JIS lacks becomes one '?', the characters around it stay whole.
  QCOMPARE(encode_text(QString::fromUtf8("a😀結"), TextCharset::ShiftJis), QByteArray("a?\x8c\x8b"));
  QCOMPARE(encode_text(QString::fromUtf8("Ω한"), TextCharset::ShiftJis), QByteArray("\x83\xb6?"));
}

void TestConditionsFile::recognises_shift_jis_names() {
  for (const char* name : {"SHIFT_JIS", "Shift_JIS", "SJIS", "CP932", "WINDOWS-31J"})
    QVERIFY2(is_shift_jis_name(name), name);
  for (const char* name : {"UTF-8", "ANSI_X3.4-1968", "EUC-JP", ""}) QVERIFY2(!is_shift_jis_name(name), name);
}

void TestConditionsFile::takes_charset_from_environment() {
  const QByteArray saved = qgetenv("LC_ALL");
  qputenv("LC_ALL", "C");
  QCOMPARE(locale_text_charset(), TextCharset::Utf8);
  qputenv("LC_ALL", "C.UTF-8");
  QCOMPARE(locale_text_charset(), TextCharset::Utf8);
  qputenv("LC_ALL", "ja_JP.SJIS");
  locale_t shift_jis = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (shift_jis != static_cast<locale_t>(nullptr)) {
    freelocale(shift_jis);
    QCOMPARE(locale_text_charset(), TextCharset::ShiftJis);
  }
  if (saved.isNull()) {
    qunsetenv("LC_ALL");
  } else {
    qputenv("LC_ALL", saved);
  }
  if (shift_jis == static_cast<locale_t>(nullptr)) QSKIP("the ja_JP.SJIS locale is not installed here");
}

void TestConditionsFile::saves_and_replaces_whole() {
  QTemporaryDir folder;
  const QString path = folder.filePath("B2F.dat");
  QString error;
  QVERIFY(save_conditions_file(path, "first\r\nfile\r\n", &error));
  QVERIFY(save_conditions_file(path, "second\r\n", &error));
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), QByteArray("second\r\n"));
  // Nothing but the file itself is left in the folder.
  QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"B2F.dat"});
}

void TestConditionsFile::reports_failed_save() {
  QTemporaryDir folder;
  QString error;
  QVERIFY(!save_conditions_file(folder.filePath("missing/B2F.dat"), "x\r\n", &error));
  QVERIFY(!error.isEmpty());
  // A folder standing where the file should be is not replaced.
  QVERIFY(QDir(folder.path()).mkdir("B2F.dat"));
  error.clear();
  QVERIFY(!save_conditions_file(folder.filePath("B2F.dat"), "x\r\n", &error));
  QVERIFY(!error.isEmpty());
  QVERIFY(QFileInfo(folder.filePath("B2F.dat")).isDir());
}

void TestConditionsFile::deletes_ignoring_errors() {
  QTemporaryDir folder;
  const QString path = folder.filePath("B2F.dat");
  delete_conditions_file(path);  // missing: nothing happens
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.close();
  delete_conditions_file(path);
  QVERIFY(!QFile::exists(path));
  delete_conditions_file(folder.filePath("no/such/folder/B2F.dat"));
}

QTEST_GUILESS_MAIN(TestConditionsFile)
#include "test_conditions_file.moc"
