// Picture1: the drawing surface of the viewer, the spectrum chart drawn on it and the
// cross-hair read-out.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "results_reader.h"

namespace velmora {

// Plot settings of the whole program.
struct PlotSettings {
  int plot_drawn = 0;            // 1 once a graph has been drawn
  int normalize_on = 0;          // "Normalize" ON = 1, OFF = 0
  double vertical_factor = 1.0;  // 1.0, 0.5, 0.25 for the scales "1.0", "2.0", "4.0"
  double plot_normaliser = 0;    // the divisor of the last drawn graph
};
PlotSettings& plot_settings();

// Values the viewer window keeps for its plot while it is loaded.
struct PlotWindowValues {
  QStringList header_lines;  // ten lines of the file last previewed or read
  QString legend_title;
  double max_total_all_depths = 0;
  int plot_depth_index = 0;  // 1 ... 6 of the last depth graph
};

// What the viewer's options and check boxes ask for.
struct GraphChoice {
  int depth_option = 0;  // 0 "Incident", 1 ... 6 the depths 0, 2, 5, 10, 15, 20 cm
  bool primary = true;
  bool scatter = true;
  bool total = true;
};

// A surface that keeps its drawing in an image, with a user coordinate system: x runs from
// -700 at the left edge over 6800 units, y from 1020 at the top edge down over 1150 units.
class SpectrumPlot : public QFrame {
  Q_OBJECT

 public:
  static constexpr double scale_left = -700;
  static constexpr double scale_top = 1020;
  static constexpr double scale_width = 6800;
  static constexpr double scale_height = -1150;

  explicit SpectrumPlot(QWidget* parent = nullptr);

  const QImage& image() const { return image_; }  // the kept drawing, without the cross-hair
  QPointF to_pixel(double x, double y) const;     // within the inner area
  QPointF to_user(const QPointF& pixel) const;

  // Drawing, in user units; line widths are in pixels.
  void clear();
  void set_line_width(int pixels) { line_width_ = pixels; }
  void point(double x, double y, const QColor& colour);  // also moves the pen there
  void line_to(double x, double y, const QColor& colour);
  void line(double x1, double y1, double x2, double y2, const QColor& colour);
  void rectangle(double x1, double y1, double x2, double y2, const QColor& colour);
  void filled_rectangle(double x1, double y1, double x2, double y2, const QColor& colour);
  void set_text_y(double y) { text_y_ = y; }
  void print_line(const QString& text, double x);  // then moves one line down
  void print_line(const QString& text) { print_line(text, text_left()); }
  double text_left() const;

  // The cross-hair: Line2 vertical at x over the frame's height, Line1 horizontal at y over its width.
  void show_crosshair(double x, double y);
  void hide_crosshair();
  QWidget* line1() const { return line1_; }
  QWidget* line2() const { return line2_; }

 signals:
  void mouse_moved(double x, double y);  // user units

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  bool ensure_image();  // the kept image, sized to the inner area; false while there is none
  QFont surface_font() const;
  void draw_segment(const QPointF& from, const QPointF& to, const QColor& colour);

  QImage image_;
  int line_width_ = 1;
  double pen_x_ = 0;
  double pen_y_ = 0;
  double text_y_ = 0;
  QWidget* line1_ = nullptr;
  QWidget* line2_ = nullptr;
};

// "Graph draw": a fresh chart unless normalisation is on over an existing one, then the curves
// of the choice, the clipping strip, the legend, the header block and (normalisation off) the title.
void draw_graph(SpectrumPlot& plot, const LoadedResults& data, PlotSettings& settings, PlotWindowValues& values,
                const GraphChoice& choice);

// The preview: the header lines from the frame's top edge down, on a cleared surface.
void print_preview(SpectrumPlot& plot, const QStringList& header_lines);

// Text3: the normaliser of the last graph without the vertical magnification, as a whole number.
QString normaliser_text(const PlotSettings& settings);

// The read-out at a mouse position in user units.
struct ReadOut {
  enum class Kind { none, inside, outside };  // none: nothing drawn yet, nothing changes
  Kind kind = Kind::none;
  int bin = 0;
  bool has_value = false;  // false when the normaliser is 0
  double height = 0;       // user units of the value at the bin
  QString energy_text;     // Text1
  QString value_text;      // Text2
};
ReadOut read_out(double x, double y, const LoadedResults& data, const PlotSettings& settings,
                 const PlotWindowValues& values, bool incident_selected);

}  // namespace velmora
