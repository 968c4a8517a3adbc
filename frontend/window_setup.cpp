#include "window_setup.h"

#include <QFont>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <cmath>

void install_font_substitutions() {
  QFont::insertSubstitution(QStringLiteral("メイリオ"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

static void init_velmora_resources() { Q_INIT_RESOURCE(velmora); }

void ensure_velmora_resources() {
  static const bool done = [] {
    init_velmora_resources();
    return true;
  }();
  (void)done;
}

void apply_logical_dpi(QWidget* window) {
  const double factor = window->logicalDpiX() / 96.0;
  if (std::abs(factor - 1.0) < 0.01) return;
  const auto scaled = [factor](const QRect& r) {
    return QRect(qRound(r.x() * factor), qRound(r.y() * factor), qRound(r.width() * factor),
                 qRound(r.height() * factor));
  };
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isWindow()) child->setGeometry(scaled(child->geometry()));
  }
  window->setFixedSize(qRound(window->width() * factor), qRound(window->height() * factor));
}

void make_fixed_window(QWidget* window, WindowBorder border) {
  apply_logical_dpi(window);
  // A tool window has a dialog's frame and is kept out of the task bar.
  const Qt::WindowFlags type = border == WindowBorder::FixedDialogOffTaskbar ? Qt::Tool : Qt::Window;
  window->setWindowFlags(type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint);
  window->setFixedSize(window->size());
}

void show_centred_first_time(QWidget* window) {
  static const char* const kPlaced = "velmora_placed";
  if (!window->property(kPlaced).toBool()) {
    window->setProperty(kPlaced, true);
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      QRect frame(QPoint(0, 0), window->size());
      frame.moveCenter(screen->availableGeometry().center());
      window->move(frame.topLeft());
    }
  }
  window->show();
}

void show_exclamation(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}
