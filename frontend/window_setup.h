// What every window of the front end shares: fonts, pictures, fixed frames, centring.
#pragma once

class QWidget;

// Maps the Windows faces the windows name to installed fonts: "メイリオ" and "ＭＳ Ｐゴシック"
// to IPAPGothic, "ＭＳ ゴシック" to IPAGothic, "Times New Roman" to Liberation Serif.
void install_font_substitutions();

// Registers the pictures (icons, intro drawing) compiled into the library; safe to call often.
void ensure_velmora_resources();

enum class WindowBorder { FixedSingle, FixedDialogOffTaskbar };

// Makes a top-level window of fixed size with caption and close box but no minimise or
// maximise button. The designed layout (pixels at 96 DPI) is first scaled to the screen's
// logical DPI so that it keeps its proportions to the point-sized fonts.
void make_fixed_window(QWidget* window, WindowBorder border);

// Scales the geometry of the window and all its children by logical DPI / 96.
void apply_logical_dpi(QWidget* window);

// Shows the window, centred on its screen the first time it is shown.
void show_centred_first_time(QWidget* window);

class QString;

// The caption of every window and the title of every message box.
inline constexpr char kProgramTitle[] = "Velmora";

// A modal message box with the exclamation icon, one OK button and the program's title.
void show_exclamation(QWidget* parent, const QString& text);
