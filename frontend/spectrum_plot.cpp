#include "spectrum_plot.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "plot_masks.h"

namespace velmora {

namespace {

const QColor grid_grey(192, 192, 192);
const QColor curve_blue(0, 0, 255);
const QColor curve_green(0, 255, 0);
const QColor curve_red(255, 0, 0);
const QColor strip_white(255, 255, 255);
const QColor foreground(0, 0, 0);

// The plot frame in user units.
constexpr double frame_right = 6000;
constexpr double frame_top = 1000;

// A value far off the surface is drawn as if it were this high: the visible part of a
// line does not change, and the painter never meets coordinates it cannot hold.
constexpr double far_off = 1e6;

double tame(double y) { return std::clamp(y, -far_off, far_off); }

// A one-pixel red line object over the surface.
class CrossLine : public QWidget {
 public:
  CrossLine(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(255, 0, 0)); }
};

const char* const depth_titles[] = {"depth = 0 cm",  "depth = 2 cm",  "depth = 5 cm",
                                    "depth = 10 cm", "depth = 15 cm", "depth = 20 cm"};

// Draws one curve from the origin through the middles of the bins 1 ... rows.
template <typename Values>
void draw_curve(SpectrumPlot& plot, const Values& values, int rows, double normaliser, const QColor& colour) {
  plot.set_line_width(1);
  plot.point(0, 0, colour);
  plot.set_line_width(2);
  for (int n = 1; n <= rows; ++n) plot.line_to(10.0 * n - 5, 1000 * values[n] / normaliser, colour);
}

// Hides whatever a curve drew above the frame, then draws the frame again.
void clip_above_frame(SpectrumPlot& plot) {
  plot.filled_rectangle(0, frame_top, frame_right, SpectrumPlot::scale_top, strip_white);
  plot.rectangle(0, 0, frame_right, frame_top, foreground);
}

void draw_fresh_chart(SpectrumPlot& plot) {
  plot.clear();
  plot.set_line_width(1);
  for (int x = 1000; x <= 5500; x += 1000) plot.line(x, 0, x, frame_top, grid_grey);
  for (int x = 200; x <= 5800; x += 200) {
    plot.line(x, 0, x, 20, grid_grey);
    plot.line(x, frame_top, x, 980, grid_grey);
  }
  for (int y = 100; y <= 900; y += 100) plot.line(0, y, frame_right, y, grid_grey);
  plot.set_line_width(2);
  plot.rectangle(0, 0, frame_right, frame_top, foreground);

  struct AxisText {
    double x, y;
    const char* text;
  };
  static const AxisText texts[] = {{-50, -10, "0"},
                                   {1850, -10, "100"},
                                   {3850, -10, "200"},
                                   {5830, -10, "300"},
                                   {3250, -50, "Photon energy  (keV)"},
                                   {-300, 1020, "1.0"},
                                   {-300, 520, "0.5"},
                                   {-300, 20, "0.0"},
                                   {-680, 850, "Relative"},
                                   {-680, 800, "Photon"},
                                   {-680, 750, "Fluence"},
                                   {-680, 700, " /0.5keV"}};
  for (const AxisText& text : texts) {
    plot.set_text_y(text.y);
    plot.print_line(text.text, text.x);
  }
}

}  // namespace

PlotSettings& plot_settings() {
  static PlotSettings settings;
  return settings;
}

SpectrumPlot::SpectrumPlot(QWidget* parent) : QFrame(parent) {
  setObjectName("Picture1");
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setFont(QFont("Times New Roman", 18));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  line1_ = new CrossLine("Line1", this);
  line2_ = new CrossLine("Line2", this);
}

QPointF SpectrumPlot::to_pixel(double x, double y) const {
  const QSize inner = contentsRect().size();
  return {(x - scale_left) * inner.width() / scale_width, (y - scale_top) * inner.height() / scale_height};
}

QPointF SpectrumPlot::to_user(const QPointF& pixel) const {
  const QSize inner = contentsRect().size();
  if (inner.isEmpty()) return {scale_left, scale_top};
  return {scale_left + pixel.x() * scale_width / inner.width(), scale_top + pixel.y() * scale_height / inner.height()};
}

bool SpectrumPlot::ensure_image() {
  const QSize inner = contentsRect().size();
  if (inner.isEmpty()) return false;
  if (inner != image_.size()) {
    QImage resized(inner, QImage::Format_RGB32);
    resized.fill(Qt::white);
    if (!image_.isNull()) QPainter(&resized).drawImage(0, 0, image_);
    image_ = resized;
  }
  return true;
}

void SpectrumPlot::clear() {
  ensure_image();
  image_.fill(Qt::white);
  pen_x_ = 0;
  pen_y_ = 0;
  text_y_ = 0;
  update();
}

void SpectrumPlot::draw_segment(const QPointF& from, const QPointF& to, const QColor& colour) {
  if (!ensure_image()) return;
  QPainter painter(&image_);
  painter.setPen(QPen(colour, line_width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (from == to) {
    painter.drawPoint(from);
  } else {
    painter.drawLine(from, to);
  }
  update();
}

void SpectrumPlot::point(double x, double y, const QColor& colour) {
  pen_x_ = x;
  pen_y_ = tame(y);
  const QPointF at = to_pixel(pen_x_, pen_y_);
  draw_segment(at, at, colour);
}

void SpectrumPlot::line_to(double x, double y, const QColor& colour) {
  const QPointF from = to_pixel(pen_x_, pen_y_);
  pen_x_ = x;
  pen_y_ = tame(y);
  draw_segment(from, to_pixel(pen_x_, pen_y_), colour);
}

void SpectrumPlot::line(double x1, double y1, double x2, double y2, const QColor& colour) {
  pen_x_ = x1;
  pen_y_ = tame(y1);
  line_to(x2, y2, colour);
}

void SpectrumPlot::rectangle(double x1, double y1, double x2, double y2, const QColor& colour) {
  line(x1, y1, x2, y1, colour);
  line_to(x2, y2, colour);
  line_to(x1, y2, colour);
  line_to(x1, y1, colour);
  pen_x_ = x2;
  pen_y_ = y2;
}

void SpectrumPlot::filled_rectangle(double x1, double y1, double x2, double y2, const QColor& colour) {
  if (!ensure_image()) return;
  QPainter painter(&image_);
  painter.fillRect(QRectF(to_pixel(x1, tame(y1)), to_pixel(x2, tame(y2))).normalized().toAlignedRect(), colour);
  pen_x_ = x2;
  pen_y_ = tame(y2);
  update();
}

QFont SpectrumPlot::surface_font() const {
  QFont surface = font();
  surface.setPixelSize(std::max(1, int(std::lround(surface.pointSizeF() * logicalDpiY() / 72.0))));
  return surface;
}

double SpectrumPlot::text_left() const {
  constexpr double margin_pixels = 4;
  const int width = contentsRect().width();
  return width <= 0 ? scale_left : scale_left + margin_pixels * scale_width / width;
}

void SpectrumPlot::print_line(const QString& text, double x) {
  if (!ensure_image()) return;
  QPainter painter(&image_);
  const QFont surface = surface_font();
  painter.setFont(surface);
  painter.setPen(foreground);
  const QFontMetricsF metrics(surface, &image_);
  const QPointF top_left = to_pixel(x, text_y_);
  painter.drawText(QPointF(top_left.x(), top_left.y() + metrics.ascent()), text);
  text_y_ += metrics.height() * scale_height / image_.height();
  update();
}

void SpectrumPlot::show_crosshair(double x, double y) {
  const QPoint origin = contentsRect().topLeft();
  const QPointF bottom_left = to_pixel(0, 0);
  const QPointF top_right = to_pixel(frame_right, frame_top);
  const QPointF at = to_pixel(x, tame(y));
  const int column = int(std::floor(at.x()));
  const int row = int(std::floor(std::clamp(at.y(), -1.0e4, 1.0e4)));
  const int top = int(std::floor(top_right.y()));
  const int left = int(std::floor(bottom_left.x()));
  // Like everything drawn on the surface, the lines end at the inner edge of the border.
  const QRect inner = contentsRect();
  line2_->setGeometry(
      QRect(origin.x() + column, origin.y() + top, 1, int(std::floor(bottom_left.y())) - top + 1).intersected(inner));
  line1_->setGeometry(
      QRect(origin.x() + left, origin.y() + row, int(std::floor(top_right.x())) - left + 1, 1).intersected(inner));
  line1_->show();
  line2_->show();
}

void SpectrumPlot::hide_crosshair() {
  line1_->hide();
  line2_->hide();
}

void SpectrumPlot::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), image_);
  painter.end();
  QFrame::paintEvent(event);
}

void SpectrumPlot::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  ensure_image();
}

void SpectrumPlot::mouseMoveEvent(QMouseEvent* event) {
  const QPointF user = to_user(event->position() - QPointF(contentsRect().topLeft()));
  emit mouse_moved(user.x(), user.y());
  QFrame::mouseMoveEvent(event);
}

void draw_graph(SpectrumPlot& plot, const LoadedResults& data, PlotSettings& settings, PlotWindowValues& values,
                const GraphChoice& choice) {
  const int rows = std::clamp(data.loaded_row_count, 0, max_loaded_rows);
  if (settings.plot_drawn == 0 || settings.normalize_on == 0) draw_fresh_chart(plot);
  settings.plot_drawn = 1;

  // The scale of a graph: its own maximum, or the largest total of the file with normalisation.
  auto normaliser_of = [&](auto&& value_at) {
    double normaliser = 0;
    for (int n = 1; n <= rows; ++n) normaliser = std::max(normaliser, value_at(n));
    if (settings.normalize_on == 1) normaliser = values.max_total_all_depths;
    return normaliser * settings.vertical_factor;
  };

  if (choice.depth_option == 0) {
    values.legend_title = "Incident spectrum";
    settings.plot_normaliser = normaliser_of([&](int n) { return data.loaded_incident[n]; });
    // Nothing to scale against: no curve.
    if (settings.plot_normaliser != 0)
      draw_curve(plot, data.loaded_incident, rows, settings.plot_normaliser, curve_blue);
  }
  clip_above_frame(plot);

  if (choice.depth_option >= 1 && choice.depth_option <= 6) {
    values.plot_depth_index = choice.depth_option;
    values.legend_title = depth_titles[choice.depth_option - 1];
  }
  if (choice.depth_option != 0 && values.plot_depth_index >= 1 && values.plot_depth_index <= 6) {
    const auto& tally = data.loaded_tally[values.plot_depth_index];
    settings.plot_normaliser = normaliser_of([&](int n) { return tally[3][n]; });
    const bool wanted[] = {choice.primary, choice.scatter, choice.total};
    const QColor colours[] = {curve_blue, curve_green, curve_red};
    for (int kind = 1; kind <= 3; ++kind) {
      if (wanted[kind - 1] && settings.plot_normaliser != 0) {
        draw_curve(plot, tally[kind], rows, settings.plot_normaliser, colours[kind - 1]);
      }
    }
    clip_above_frame(plot);

    plot.set_line_width(2);
    const char* const names[] = {"Primary photon", "Scattered photon", "Primary + Scatter"};
    for (int kind = 0; kind < 3; ++kind) {
      const double y = 375 - 50 * kind;
      plot.line(3050, y, 3400, y, colours[kind]);
      plot.set_text_y(y + 25);
      plot.print_line(names[kind], 3500);
    }
  }

  plot.set_text_y(980);
  for (const QString& line : values.header_lines) plot.print_line(line, 3000);
  if (settings.normalize_on == 0) plot.print_line(values.legend_title, 3050);
}

void print_preview(SpectrumPlot& plot, const QStringList& header_lines) {
  plot.clear();
  plot.set_text_y(frame_top);
  for (const QString& line : header_lines) plot.print_line(line);
}

QString normaliser_text(const PlotSettings& settings) {
  const double whole = std::floor(settings.plot_normaliser / settings.vertical_factor);
  if (!std::isfinite(whole) || whole == 0) return whole == 0 ? "0" : QString();
  return QString::number(whole, 'f', 0);
}

ReadOut read_out(double x, double y, const LoadedResults& data, const PlotSettings& settings,
                 const PlotWindowValues& values, bool incident_selected) {
  ReadOut result;
  if (settings.plot_drawn == 0) return result;
  if (!(x >= 0 && x <= frame_right && y >= 0 && y <= frame_top)) {
    result.kind = ReadOut::Kind::outside;
    return result;
  }
  result.kind = ReadOut::Kind::inside;
  // The bin under the mouse; the frame's right edge belongs to the last bin.
  const float bin_position = float(x) / 10.0f;
  result.bin = std::min(int(bin_position) + 1, max_loaded_rows);
  const int d = values.plot_depth_index;
  const double value = incident_selected    ? data.loaded_incident[result.bin]
                       : (d >= 1 && d <= 6) ? data.loaded_tally[d][3][result.bin]
                                            : 0.0;
  result.energy_text = format_energy_mask(0.5 * result.bin);
  if (settings.plot_normaliser != 0) {
    result.has_value = true;
    result.height = 1000 * value / settings.plot_normaliser;
    result.value_text = format_relative_mask(result.height / 1000);
  }
  return result;
}

}  // namespace velmora
