// The window flow: one window visible at a time, every way between them, the program's end.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app_flow.h"
#include "message_box_catcher.h"
#include "ui_conditions_window.h"
#include "ui_intro_window.h"

class TestAppFlow : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void opens_on_intro();
  void windows_are_fixed_and_captioned();
  void ok_loads_conditions();
  void closing_conditions_returns_to_intro_with_defaults();
  void quit_deletes_file_and_ends_data();
  void quit_deletes_file_and_ends();
  void intro_ends_program_data();
  void intro_ends_program();
  void viewer_back_and_close();

 private:
  void press_ok() { QTest::mouseClick(flow_->intro_window()->ui()->Command1, Qt::LeftButton); }
  void write_conditions() {
    ConditionsWindow* conditions = flow_->conditions_window();
    conditions->ui()->Text8->setText("run1");
    QVERIFY(run_dismissing_messages([conditions] {
              QTest::mouseClick(conditions->ui()->Command1, Qt::LeftButton);
            }).isEmpty());
    QVERIFY(QFile::exists(b2f_path()));
  }
  QList<QWidget*> visible_windows() const {
    QList<QWidget*> visible;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible()) visible.append(window);
    }
    return visible;
  }
  QString b2f_path() const { return work_.filePath("B2F.dat"); }

  QTemporaryDir work_;
  std::unique_ptr<AppFlow> flow_;
};

void TestAppFlow::initTestCase() { QVERIFY(QDir::setCurrent(work_.path())); }

void TestAppFlow::init() {
  QFile::remove(b2f_path());
  flow_ = std::make_unique<AppFlow>();
  flow_->start();
  QVERIFY(QTest::qWaitForWindowExposed(flow_->intro_window()));
}

void TestAppFlow::cleanup() {
  flow_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestAppFlow::opens_on_intro() {
  QWidget* intro = flow_->intro_window();
  QCOMPARE(visible_windows(), QList<QWidget*>{intro});
  QCOMPARE(intro->objectName(), QString("Form3"));
  QVERIFY(flow_->conditions_window() == nullptr);
  const QPoint screen_centre = intro->screen()->availableGeometry().center();
  // Centred on the screen, give or take the frame.
  const QSize frame = intro->frameGeometry().size() - intro->size();
  QVERIFY((intro->geometry().center() - screen_centre).manhattanLength() <= frame.width() + frame.height() + 2);
}

void TestAppFlow::windows_are_fixed_and_captioned() {
  press_ok();
  ConditionsWindow* conditions = flow_->conditions_window();
  QMetaObject::invokeMethod(conditions->ui()->Command4, "click");
  QWidget* viewer = flow_->results_viewer();
  QVERIFY(viewer != nullptr);
  // Client areas: 10860 x 7020 and 9180 x 8955 twips at 15 twips per pixel.
  QCOMPARE(flow_->intro_window()->size(), QSize(724, 468));
  QCOMPARE(conditions->size(), QSize(612, 597));
  QList<QImage> icons;
  for (QWidget* window : {static_cast<QWidget*>(flow_->intro_window()), static_cast<QWidget*>(conditions), viewer}) {
    QCOMPARE(window->windowTitle(), QString("Velmora"));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint) && !(flags & Qt::WindowMaximizeButtonHint));
    if (window != viewer) {
      QVERIFY(flags & Qt::WindowCloseButtonHint);
      QCOMPARE(window->minimumSize(), window->maximumSize());
    }
    QVERIFY(!window->windowIcon().isNull());
    icons.append(window->windowIcon().pixmap(32, 32).toImage());
  }
  QVERIFY(icons[0] != icons[1] && icons[1] != icons[2] && icons[0] != icons[2]);
  // Both windows show the same 32 x 32 picture.
  const QImage picture = flow_->intro_window()->ui()->Picture1->pixmap().toImage();
  QCOMPARE(picture.size(), QSize(32, 32));
  QCOMPARE(conditions->ui()->Picture1->pixmap().toImage(), picture);
}

void TestAppFlow::ok_loads_conditions() {
  press_ok();
  ConditionsWindow* conditions = flow_->conditions_window();
  QVERIFY(conditions != nullptr);
  QCOMPARE(conditions->objectName(), QString("Form1"));
  QCOMPARE(visible_windows(), QList<QWidget*>{conditions});
  QCOMPARE(flow_->selection_codes().formula_code, 2);
  QVERIFY(!flow_->has_ended());
}

void TestAppFlow::closing_conditions_returns_to_intro_with_defaults() {
  press_ok();
  QPointer<ConditionsWindow> first = flow_->conditions_window();
  write_conditions();
  first->ui()->Text1->setText("80");
  QTest::mouseClick(first->ui()->Option1, Qt::LeftButton, {}, QPoint(6, first->ui()->Option1->height() / 2));
  QCOMPARE(flow_->selection_codes().formula_code, 1);

  QVERIFY(run_dismissing_messages([&first] { first->close(); }).isEmpty());
  QVERIFY(!QFile::exists(b2f_path()));
  QCOMPARE(visible_windows(), QList<QWidget*>{flow_->intro_window()});
  QVERIFY(flow_->conditions_window() == nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(first.isNull());
  QVERIFY(!flow_->has_ended());

  // Closing without a file: no message, same way back.
  press_ok();
  QVERIFY(run_dismissing_messages([this] { flow_->conditions_window()->close(); }).isEmpty());
  QCOMPARE(visible_windows(), QList<QWidget*>{flow_->intro_window()});

  press_ok();
  ConditionsWindow* second = flow_->conditions_window();
  QCOMPARE(second->ui()->Text1->text(), QString("150"));
  QCOMPARE(second->ui()->Text8->text(), QString());
  QVERIFY(second->ui()->Option2->isChecked());
  QCOMPARE(flow_->selection_codes().formula_code, 2);
  QVERIFY(!second->ui()->Command2->isEnabled());
  QCOMPARE(visible_windows(), QList<QWidget*>{second});
}

void TestAppFlow::quit_deletes_file_and_ends_data() {
  QTest::addColumn<bool>("file_written");
  QTest::newRow("after a confirm") << true;
  QTest::newRow("no file ever written") << false;
}

void TestAppFlow::quit_deletes_file_and_ends() {
  QFETCH(bool, file_written);
  press_ok();
  if (file_written) write_conditions();
  QSignalSpy ended(flow_.get(), &AppFlow::program_ended);
  QVERIFY(run_dismissing_messages([this] {
            QTest::mouseClick(flow_->conditions_window()->ui()->Command3, Qt::LeftButton);
          }).isEmpty());
  QCOMPARE(ended.size(), 1);
  QVERIFY(!QFile::exists(b2f_path()));
  QVERIFY(visible_windows().isEmpty());
}

void TestAppFlow::intro_ends_program_data() {
  QTest::addColumn<bool>("close_box");
  QTest::newRow("Cancel") << false;
  QTest::newRow("close box") << true;
}

void TestAppFlow::intro_ends_program() {
  QFETCH(bool, close_box);
  // A file left from elsewhere is not the intro's business.
  QFile file(b2f_path());
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.close();
  QSignalSpy ended(flow_.get(), &AppFlow::program_ended);
  if (close_box) {
    flow_->intro_window()->close();
  } else {
    QTest::mouseClick(flow_->intro_window()->ui()->Command2, Qt::LeftButton);
  }
  QCOMPARE(ended.size(), 1);
  QVERIFY(visible_windows().isEmpty());
  QVERIFY(QFile::exists(b2f_path()));
}

void TestAppFlow::viewer_back_and_close() {
  press_ok();
  ConditionsWindow* conditions = flow_->conditions_window();
  conditions->ui()->Text1->setText("120");
  write_conditions();

  QTest::mouseClick(conditions->ui()->Command4, Qt::LeftButton);
  QPointer<ResultsViewer> viewer = flow_->results_viewer();
  QVERIFY(viewer != nullptr);
  QCOMPARE(viewer->objectName(), QString("Form2"));
  QCOMPARE(visible_windows(), QList<QWidget*>{viewer});

  // Back: the conditions window as it was, the viewer loaded and hidden.
  emit viewer->back_requested();
  QCOMPARE(visible_windows(), QList<QWidget*>{conditions});
  QCOMPARE(flow_->conditions_window(), conditions);
  QCOMPARE(conditions->ui()->Text1->text(), QString("120"));
  QVERIFY(conditions->ui()->Command2->isEnabled());
  QCOMPARE(flow_->results_viewer(), viewer.data());
  QVERIFY(QFile::exists(b2f_path()));

  QTest::mouseClick(conditions->ui()->Command4, Qt::LeftButton);
  QCOMPARE(flow_->results_viewer(), viewer.data());
  QCOMPARE(visible_windows(), QList<QWidget*>{viewer});

  // Close box: the viewer is unloaded, the conditions window comes back unchanged.
  viewer->close();
  QCOMPARE(visible_windows(), QList<QWidget*>{conditions});
  QVERIFY(flow_->results_viewer() == nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(viewer.isNull());
  QCOMPARE(conditions->ui()->Text1->text(), QString("120"));

  QTest::mouseClick(conditions->ui()->Command4, Qt::LeftButton);
  QVERIFY(flow_->results_viewer() != nullptr);
  QCOMPARE(visible_windows(), QList<QWidget*>{flow_->results_viewer()});
}

QTEST_MAIN(TestAppFlow)
#include "test_app_flow.moc"
