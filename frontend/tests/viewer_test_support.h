// Results files for the viewer's tests, written as the engine writes them: ten condition
// lines, the heading line and one row of twenty numbers per 0.5 keV bin, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cmath>

namespace viewer_test {

// Fw.d: rounded, right-aligned, no zero before the point of a value below 1.
inline QByteArray fixed_field(double value, int width, int decimals) {
  QByteArray text = QByteArray::number(value, 'f', decimals);
  if (decimals == 0) text += '.';
  if (text.startsWith("0.") && text.size() > 2) text.remove(0, 1);
  return text.rightJustified(width, ' ');
}

inline QStringList condition_lines(double kv) {
  return {" Constant potential rectification",
          " Tube potential = " + QString::fromLatin1(fixed_field(kv, 6, 1)) + " [kV]",
          " Target angle   =   12.0 [deg]",
          " Inherent filtration =  2.500 [mmAl eq.]",
          " Aliminum filter =  2.000 [mm]",
          " Copper filter   =   .200 [mm]",
          " Field diameter  =   10.0 [cm]",
          " Incident photons/cm2  =    1000000.",
          " by Tucker formula",
          " in water phantom"};
}

inline const char* heading_line() {
  return " keV,incident,0cm P,0cm S,0cm P+S,2cm P,2cm S,2cm P+S,  5cm P,5cm S,5cm P+S,10cm P,10cm S,10cm P+S,15cm P,"
         "15cm S,15cm P+S,20cm P,20cm S,20cm P+S";
}

// Counts of a made-up spectrum: the incident share peaks at a third of the voltage, the primary
// photons thin out and harden with depth, the scattered ones gather at low energies.
struct Row {
  double incident = 0;
  double primary[6] = {};
  double scatter[6] = {};
};
inline Row synthetic_row(int bin, double kv) {
  static const double depths_cm[6] = {0, 2, 5, 10, 15, 20};
  const double e = 0.5 * bin;
  Row row;
  row.incident = std::round(400000 * e * (kv - e) * std::exp(-e / 25) / (kv * kv));
  for (int d = 0; d < 6; ++d) {
    const double depth = depths_cm[d];
    row.primary[d] = std::round(row.incident * std::exp(-depth * (0.15 + 4 / (e + 10))));
    row.scatter[d] = std::round(row.incident * 0.6 * (1 - std::exp(-depth / 3)) * std::exp(-e / 60) + 0.2 * depth);
  }
  return row;
}

inline QByteArray data_row(int bin, const Row& row) {
  QByteArray line = fixed_field(0.5 * bin, 6, 1);
  line += ',' + fixed_field(row.incident, 10, 0);
  for (int d = 0; d < 6; ++d) {
    line += ',' + fixed_field(row.primary[d], 10, 0);
    line += ',' + fixed_field(row.scatter[d], 10, 0);
    line += ',' + fixed_field(row.primary[d] + row.scatter[d], 10, 0);
  }
  return line;
}

// A whole file for a tube voltage; `rows` < 0 gives the engine's trunc(2 kV) rows.
inline QByteArray results_file_text(double kv, int rows = -1) {
  if (rows < 0) rows = int(2 * kv);
  QByteArray text;
  for (const QString& line : condition_lines(kv)) text += line.toLatin1() + "\r\n";
  text += QByteArray(heading_line()) + "\r\n";
  for (int bin = 1; bin <= rows; ++bin) text += data_row(bin, synthetic_row(bin, kv)) + "\r\n";
  return text;
}

inline bool write_file(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace viewer_test
