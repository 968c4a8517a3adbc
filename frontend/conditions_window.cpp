#include "conditions_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QValidator>

#include "conditions_file.h"
#include "engine_launcher.h"
#include "number_text.h"
#include "ui_conditions_window.h"
#include "window_setup.h"

namespace {

// The fields are single-line: a pasted line break is dropped, the text around it kept, so that
// the name can never split its line of B2F.dat.
class SingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override {
    qsizetype removed_before_cursor = 0;
    for (qsizetype i = input.size() - 1; i >= 0; --i) {
      if (input[i] == u'\n' || input[i] == u'\r') {
        input.remove(i, 1);
        if (i < pos) ++removed_before_cursor;
      }
    }
    pos -= static_cast<int>(removed_before_cursor);
    return Acceptable;
  }
};

}  // namespace

ConditionsWindow::ConditionsWindow(SelectionCodes& codes, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::ConditionsWindow>()), codes_(codes) {
  ensure_velmora_resources();
  ui_->setupUi(this);
  make_fixed_window(this, WindowBorder::FixedSingle);
  auto* single_line = new SingleLineValidator(this);
  for (QLineEdit* field :
       {ui_->Text1, ui_->Text2, ui_->Text3, ui_->Text4, ui_->Text5, ui_->Text6, ui_->Text7, ui_->Text8}) {
    field->setValidator(single_line);
  }
  load_actions();
}

ConditionsWindow::~ConditionsWindow() = default;

void ConditionsWindow::load_actions() {
  ui_->Text1->setText("150");
  ui_->Text2->setText("12");
  ui_->Text3->setText("2.5");
  ui_->Text4->setText("2");
  ui_->Text5->setText("0.2");
  ui_->Text6->setText("10");
  ui_->Text7->setText("1000000");
  ui_->Text8->clear();
  ui_->Option2->setChecked(true);
  codes_.formula_code = 2;
  ui_->Option3->setChecked(true);
  codes_.phantom_code = 1;
  ui_->Option7->setChecked(true);
  codes_.rectification_code = 1;
  ui_->Command2->setEnabled(false);
}

// Enter walks the fields in order and ends on the confirm button.
void ConditionsWindow::on_Text1_returnPressed() { ui_->Text2->setFocus(); }
void ConditionsWindow::on_Text2_returnPressed() { ui_->Text3->setFocus(); }
void ConditionsWindow::on_Text3_returnPressed() { ui_->Text4->setFocus(); }
void ConditionsWindow::on_Text4_returnPressed() { ui_->Text5->setFocus(); }
void ConditionsWindow::on_Text5_returnPressed() { ui_->Text6->setFocus(); }
void ConditionsWindow::on_Text6_returnPressed() { ui_->Text7->setFocus(); }
void ConditionsWindow::on_Text7_returnPressed() { ui_->Text8->setFocus(); }
void ConditionsWindow::on_Text8_returnPressed() { ui_->Command1->setFocus(); }

void ConditionsWindow::on_Option1_clicked() { codes_.formula_code = 1; }
void ConditionsWindow::on_Option2_clicked() { codes_.formula_code = 2; }
void ConditionsWindow::on_Option3_clicked() { codes_.phantom_code = 1; }
void ConditionsWindow::on_Option4_clicked() { codes_.phantom_code = 2; }
void ConditionsWindow::on_Option5_clicked() { codes_.rectification_code = 3; }
void ConditionsWindow::on_Option6_clicked() { codes_.rectification_code = 2; }
void ConditionsWindow::on_Option7_clicked() { codes_.rectification_code = 1; }

// Confirm: check the fields, then write B2F.dat; only a written file allows a start.
void ConditionsWindow::on_Command1_clicked() {
  for (const QLineEdit* field :
       {ui_->Text1, ui_->Text2, ui_->Text3, ui_->Text4, ui_->Text5, ui_->Text6, ui_->Text7, ui_->Text8}) {
    if (field->text().isEmpty()) {
      show_exclamation(this, "入力されていない項目があります");
      return;
    }
  }
  ConditionsRecord record;
  record.tube_voltage_kv = read_leading_number(ui_->Text1->text());
  if (record.tube_voltage_kv.value() > 300) {
    show_exclamation(this, " 管電圧が最大値を超えています ");
    return;
  }
  record.target_angle_deg = read_leading_number(ui_->Text2->text());
  record.inherent_filtration_mm = read_leading_number(ui_->Text3->text());
  record.al_filter_mm = read_leading_number(ui_->Text4->text());
  record.cu_filter_mm = read_leading_number(ui_->Text5->text());
  record.field_diameter_cm = read_leading_number(ui_->Text6->text());
  if (record.field_diameter_cm.value() > 60) {
    show_exclamation(this, " 照射野がファントムサイズを超えています ");
    return;
  }
  record.photons_per_cm2 = read_leading_number(ui_->Text7->text());
  record.results_file_name = ui_->Text8->text() + ".csv";
  record.formula_code = codes_.formula_code;
  record.rectification_code = codes_.rectification_code;
  record.phantom_code = codes_.phantom_code;

  QString error;
  if (!save_conditions_file(conditions_file_path(), conditions_file_bytes(record, locale_text_charset()), &error)) {
    show_exclamation(this, QString("%1 を書き込めませんでした\n%2").arg(kConditionsFileName, error));
    return;
  }
  QCoreApplication::processEvents();
  ui_->Command2->setEnabled(true);
  ui_->Command2->setFocus();
}

// Start: the engine runs on its own in a terminal; one confirm allows one start.
void ConditionsWindow::on_Command2_clicked() {
  const QString failure = EngineLauncher::instance().start_engine(QDir::currentPath());
  if (!failure.isEmpty()) {
    show_exclamation(this, failure);
    return;
  }
  ui_->Command2->setEnabled(false);
}

void ConditionsWindow::on_Command3_clicked() {
  delete_conditions_file(conditions_file_path());
  emit quit_requested();
}

void ConditionsWindow::on_Command4_clicked() { emit viewer_requested(); }

void ConditionsWindow::closeEvent(QCloseEvent* event) {
  delete_conditions_file(conditions_file_path());
  event->accept();
  emit closed();
}
