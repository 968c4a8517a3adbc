// The conditions window driven through its real widgets, in a scratch working folder.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "conditions_file.h"
#include "conditions_window.h"
#include "engine_launcher.h"
#include "message_box_catcher.h"
#include "ui_conditions_window.h"

namespace {

const QString kTubeMessage = QString::fromUtf8(" 管電圧が最大値を超えています ");
const QString kFieldMessage = QString::fromUtf8(" 照射野がファントムサイズを超えています ");
const QString kEmptyMessage = QString::fromUtf8("入力されていない項目があります");

QByteArray read_file(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void make_executable(const QString& path) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("#!/bin/sh\nexit 0\n");
  file.close();
  QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// Clicks a radio button on its indicator, near the left edge.
void click_option(QRadioButton* option) {
  QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

}  // namespace

class TestConditionsWindow : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void cleanupTestCase();

  void load_actions_set_defaults();
  void confirm_writes_defaults();
  void confirm_cases_data();
  void confirm_cases();
  void enter_walks_to_confirm();
  void option_clicks_set_codes();
  void one_confirm_allows_one_start();
  void engine_start_failures_data();
  void engine_start_failures();
  void engine_found_on_path();
  void terminal_follows_the_locale_charset();
  void write_failure_changes_nothing();

 private:
  QList<SeenMessage> confirm() {
    return run_dismissing_messages([this] { QTest::mouseClick(window_->ui()->Command1, Qt::LeftButton); });
  }
  QList<SeenMessage> start() {
    return run_dismissing_messages([this] { QTest::mouseClick(window_->ui()->Command2, Qt::LeftButton); });
  }
  QString b2f_path() const { return work_.filePath("B2F.dat"); }

  QTemporaryDir work_;
  QTemporaryDir tools_;  // a stand-in xterm on PATH and a stand-in engine beside it
  QTemporaryDir empty_;
  QString old_cwd_;
  QByteArray old_path_;
  SelectionCodes codes_;
  std::unique_ptr<ConditionsWindow> window_;
  QList<LaunchCommand> launched_;
  bool starter_result_ = true;
};

void TestConditionsWindow::initTestCase() {
  old_cwd_ = QDir::currentPath();
  old_path_ = qgetenv("PATH");
  QVERIFY(QDir::setCurrent(work_.path()));
  make_executable(tools_.filePath("xterm"));
  make_executable(tools_.filePath("Drevik"));
}

void TestConditionsWindow::init() {
  QFile::remove(b2f_path());
  qputenv("PATH", tools_.path().toLocal8Bit() + ":/usr/bin:/bin");
  EngineLauncher& launcher = EngineLauncher::instance();
  launcher.engine_folder = tools_.path();
  launcher.engine_name = "Drevik";
  launcher.terminal_name = "xterm";
  launched_.clear();
  starter_result_ = true;
  launcher.starter = [this](const LaunchCommand& command) {
    launched_.append(command);
    return starter_result_;
  };
  codes_ = SelectionCodes{7, 7, 7};
  window_ = std::make_unique<ConditionsWindow>(codes_);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestConditionsWindow::cleanup() { window_.reset(); }

void TestConditionsWindow::cleanupTestCase() {
  QDir::setCurrent(old_cwd_);
  qputenv("PATH", old_path_);
}

void TestConditionsWindow::load_actions_set_defaults() {
  const Ui::ConditionsWindow* ui = window_->ui();
  const QStringList texts{ui->Text1->text(), ui->Text2->text(), ui->Text3->text(), ui->Text4->text(),
                          ui->Text5->text(), ui->Text6->text(), ui->Text7->text(), ui->Text8->text()};
  QCOMPARE(texts, (QStringList{"150", "12", "2.5", "2", "0.2", "10", "1000000", ""}));
  QVERIFY(ui->Option2->isChecked() && !ui->Option1->isChecked());
  QVERIFY(ui->Option3->isChecked() && ui->Option7->isChecked());
  QCOMPARE(codes_.formula_code, 2);
  QCOMPARE(codes_.rectification_code, 1);
  QCOMPARE(codes_.phantom_code, 1);
  QVERIFY(!ui->Command2->isEnabled());
  QCOMPARE(ui->Command3->toolTip(), QString(" bye "));
}

void TestConditionsWindow::confirm_writes_defaults() {
  window_->ui()->Text8->setText("run1");
  QVERIFY(confirm().isEmpty());
  QCOMPARE(read_file(b2f_path()),
           QByteArray("0150.0\r\n12.000\r\n02.500\r\n02.000\r\n00.200\r\n0010.0\r\n0001000000.\r\n02\r\n01\r\n01\r\n"
                      "run1.csv\r\n"));
  QVERIFY(window_->ui()->Command2->isEnabled());
  QVERIFY(window_->ui()->Command2->hasFocus());
}

void TestConditionsWindow::confirm_cases_data() {
  QTest::addColumn<QString>("field");  // the field to change
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("text6");  // the field diameter alongside
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("line");  // the line of B2F.dat to look at when it passes
  QTest::addColumn<QByteArray>("written");
  QTest::newRow("300 kV passes") << "Text1"
                                 << "300"
                                 << "10"
                                 << "" << 0 << QByteArray("0300.0");
  QTest::newRow("300.5 kV refused") << "Text1"
                                    << "300.5"
                                    << "10" << kTubeMessage << 0 << QByteArray();
  QTest::newRow("abc kV writes zero") << "Text1"
                                      << "abc"
                                      << "10"
                                      << "" << 0 << QByteArray("0000.0");
  QTest::newRow("60 cm passes") << "Text6"
                                << "60"
                                << "60"
                                << "" << 5 << QByteArray("0060.0");
  QTest::newRow("60.1 cm refused") << "Text6"
                                   << "60.1"
                                   << "60.1" << kFieldMessage << 0 << QByteArray();
  QTest::newRow("400 kV and 80 cm: voltage only") << "Text1"
                                                  << "400"
                                                  << "80" << kTubeMessage << 0 << QByteArray();
  QTest::newRow("empty name") << "Text8"
                              << ""
                              << "10" << kEmptyMessage << 0 << QByteArray();
  QTest::newRow("empty filter") << "Text4"
                                << ""
                                << "10" << kEmptyMessage << 0 << QByteArray();
  QTest::newRow("blank name is not empty") << "Text8"
                                           << "  "
                                           << "10"
                                           << "" << 10 << QByteArray("  .csv");
  QTest::newRow("negative filter") << "Text3"
                                   << "-2.5"
                                   << "10"
                                   << "" << 2 << QByteArray("-02.500");
  QTest::newRow("pasted line break dropped") << "Text8"
                                             << "ab\r\ncd"
                                             << "10"
                                             << "" << 10 << QByteArray("abcd.csv");
  QTest::newRow("long name written whole")
      << "Text8" << QString::fromUtf8("ファントム内散乱線スペクトル計算結果_run_0001") << "10"
      << "" << 10
      << encode_text(QString::fromUtf8("ファントム内散乱線スペクトル計算結果_run_0001.csv"), locale_text_charset());
}

void TestConditionsWindow::confirm_cases() {
  QFETCH(QString, field);
  QFETCH(QString, text);
  QFETCH(QString, text6);
  QFETCH(QString, message);
  QFETCH(int, line);
  QFETCH(QByteArray, written);

  // A first confirm leaves an earlier file and an enabled start button.
  window_->ui()->Text8->setText("earlier");
  QVERIFY(confirm().isEmpty());
  const QByteArray earlier = read_file(b2f_path());
  QVERIFY(!earlier.isEmpty());

  window_->findChild<QLineEdit*>("Text6")->setText(text6);
  if (field != "Text8") window_->ui()->Text8->setText("case");
  window_->findChild<QLineEdit*>(field)->setText(text);
  const QList<SeenMessage> seen = confirm();

  QVERIFY(window_->ui()->Command2->isEnabled());
  if (message.isEmpty()) {
    QVERIFY(seen.isEmpty());
    const QList<QByteArray> lines = read_file(b2f_path()).split('\n');
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines[line], written + '\r');
  } else {
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, message);
    QCOMPARE(seen[0].title, QString("Velmora"));
    QCOMPARE(seen[0].icon, QMessageBox::Warning);
    QCOMPARE(seen[0].button_count, 1);
    QVERIFY(seen[0].ok_button && seen[0].modal);
    QCOMPARE(read_file(b2f_path()), earlier);
    QCOMPARE(window_->findChild<QLineEdit*>(field)->text(), text);
  }
}

void TestConditionsWindow::enter_walks_to_confirm() {
  QApplication::setActiveWindow(window_.get());
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  const Ui::ConditionsWindow* ui = window_->ui();
  const QList<QWidget*> order{ui->Text1, ui->Text2, ui->Text3, ui->Text4,   ui->Text5,
                              ui->Text6, ui->Text7, ui->Text8, ui->Command1};
  ui->Text1->setFocus();
  for (qsizetype i = 0; i + 1 < order.size(); ++i) {
    QVERIFY(order[i]->hasFocus());
    // The keypad's Enter counts as well.
    QTest::keyClick(QApplication::focusWidget(), i == 3 ? Qt::Key_Enter : Qt::Key_Return);
    QVERIFY2(order[i + 1]->hasFocus(), qPrintable(order[i + 1]->objectName()));
  }
  // Other keys stay with the field.
  ui->Text2->setFocus();
  QTest::keyClicks(ui->Text2, "5");
  QCOMPARE(ui->Text2->text(), QString("125"));
  QVERIFY(ui->Text2->hasFocus());
  // Enter on the focused confirm button confirms.
  ui->Text8->setText("run1");
  ui->Command1->setFocus();
  QTest::keyClick(ui->Command1, Qt::Key_Return);
  QVERIFY(QFile::exists(b2f_path()));
}

void TestConditionsWindow::option_clicks_set_codes() {
  const Ui::ConditionsWindow* ui = window_->ui();
  click_option(ui->Option1);
  QCOMPARE(codes_.formula_code, 1);
  click_option(ui->Option2);
  QCOMPARE(codes_.formula_code, 2);
  click_option(ui->Option1);
  click_option(ui->Option5);
  QCOMPARE(codes_.rectification_code, 3);
  click_option(ui->Option6);
  QCOMPARE(codes_.rectification_code, 2);
  click_option(ui->Option4);
  QCOMPARE(codes_.phantom_code, 2);
  QVERIFY(ui->Option1->isChecked() && ui->Option6->isChecked() && ui->Option4->isChecked());
  ui->Text8->setText("codes");
  QVERIFY(confirm().isEmpty());
  QVERIFY(read_file(b2f_path()).endsWith("\r\n01\r\n02\r\n02\r\ncodes.csv\r\n"));
  // Space on a focused option is a click too.
  ui->Option7->setFocus();
  QTest::keyClick(ui->Option7, Qt::Key_Space);
  QCOMPARE(codes_.rectification_code, 1);
  click_option(ui->Option3);
  QCOMPARE(codes_.phantom_code, 1);
}

void TestConditionsWindow::one_confirm_allows_one_start() {
  QPushButton* go = window_->ui()->Command2;
  window_->ui()->Text8->setText("run1");
  QVERIFY(confirm().isEmpty());
  QVERIFY(go->isEnabled());
  QVERIFY(start().isEmpty());
  QCOMPARE(launched_.size(), 1);
  QCOMPARE(launched_[0].program, QDir(tools_.path()).filePath("xterm"));
  QCOMPARE(launched_[0].arguments,
           (QStringList{"-maximized", "+lc", "-u8", "-fa", "DejaVu Sans Mono", "-fd", "IPAGothic", "-fs", "12", "-e",
                        QDir(tools_.path()).filePath("Drevik")}));
  QCOMPARE(launched_[0].working_directory, QDir::currentPath());
  QVERIFY(!go->isEnabled());
  // Changing a field does not allow another start; the next confirm does.
  window_->ui()->Text1->setText("120");
  QVERIFY(!go->isEnabled());
  QVERIFY(confirm().isEmpty());
  QVERIFY(go->isEnabled());
}

void TestConditionsWindow::engine_start_failures_data() {
  QTest::addColumn<QString>("engine_name");
  QTest::addColumn<QString>("terminal_name");
  QTest::addColumn<bool>("starts");
  QTest::addColumn<QString>("named");
  QTest::newRow("engine missing") << "NoSuchEngine"
                                  << "xterm" << true << "NoSuchEngine";
  QTest::newRow("terminal missing") << "Drevik"
                                    << "no-such-terminal" << true << "no-such-terminal";
  QTest::newRow("start fails") << "Drevik"
                               << "xterm" << false << "Drevik";
}

void TestConditionsWindow::engine_start_failures() {
  QFETCH(QString, engine_name);
  QFETCH(QString, terminal_name);
  QFETCH(bool, starts);
  QFETCH(QString, named);
  EngineLauncher::instance().engine_name = engine_name;
  EngineLauncher::instance().terminal_name = terminal_name;
  starter_result_ = starts;
  window_->ui()->Text8->setText("run1");
  QVERIFY(confirm().isEmpty());
  const QList<SeenMessage> seen = start();
  QCOMPARE(seen.size(), 1);
  QVERIFY2(seen[0].text.contains(named), qPrintable(seen[0].text));
  QCOMPARE(seen[0].icon, QMessageBox::Warning);
  QVERIFY(window_->ui()->Command2->isEnabled());
  QCOMPARE(launched_.size(), starts ? 0 : 1);
}

void TestConditionsWindow::engine_found_on_path() {
  EngineLauncher::instance().engine_folder = empty_.path();
  window_->ui()->Text8->setText("run1");
  QVERIFY(confirm().isEmpty());
  QVERIFY(start().isEmpty());
  QCOMPARE(launched_.size(), 1);
  QCOMPARE(launched_[0].arguments.last(), QDir(tools_.path()).filePath("Drevik"));
}

void TestConditionsWindow::write_failure_changes_nothing() {
  // The working folder disappears under the program.
  auto gone = std::make_unique<QTemporaryDir>();
  QVERIFY(QDir::setCurrent(gone->path()));
  gone.reset();
  window_->ui()->Text8->setText("run1");
  const QList<SeenMessage> seen = confirm();
  QVERIFY(QDir::setCurrent(work_.path()));
  QCOMPARE(seen.size(), 1);
  QVERIFY2(seen[0].text.contains("B2F.dat"), qPrintable(seen[0].text));
  QVERIFY(!window_->ui()->Command2->isEnabled());
  QCOMPARE(window_->ui()->Text8->text(), QString("run1"));
  QVERIFY(window_->isVisible());
}

void TestConditionsWindow::terminal_follows_the_locale_charset() {
  const LaunchCommand utf8 = EngineLauncher::terminal_command("xterm", "Drevik", "/w", TextCharset::Utf8);
  QCOMPARE(utf8.arguments.mid(0, 3), (QStringList{"-maximized", "+lc", "-u8"}));
  const LaunchCommand sjis = EngineLauncher::terminal_command("xterm", "Drevik", "/w", TextCharset::ShiftJis);
  QCOMPARE(sjis.arguments.mid(0, 2), (QStringList{"-maximized", "-lc"}));
  QVERIFY(!sjis.arguments.contains("-u8"));
  QCOMPARE(sjis.arguments.last(), QString("Drevik"));
}

QTEST_MAIN(TestConditionsWindow)
#include "test_conditions_window.moc"
