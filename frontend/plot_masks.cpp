#include "plot_masks.h"

namespace velmora {

namespace {

// Fixed-point text in the C locale; a value that rounds to zero loses its sign.
QString fixed(double value, int decimals) {
  QString text = QString::number(value, 'f', decimals);
  if (text.startsWith('-') && text.count('0') == text.size() - 2) text.remove(0, 1);
  return text;
}

}  // namespace

QString format_energy_mask(double value) {
  QString text = fixed(value, 1);
  // The mask has no mandatory digit before the point.
  if (text.startsWith("0.")) {
    text.remove(0, 1);
  } else if (text.startsWith("-0.")) {
    text.remove(1, 1);
  }
  return text;
}

QString format_relative_mask(double value) { return fixed(value, 5); }

}  // namespace velmora
