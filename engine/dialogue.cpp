#include "dialogue.h"

#include "fixed_format.h"

namespace drevik {

namespace {

// A text line: one blank, then the text.
std::string text_line(const std::string& text) { return " " + text; }

std::string time_text(const ClockTime& time) {
  return format_integer(time.hour, 2) + ":" + format_integer(time.minute, 2) + ":" + format_integer(time.second, 2);
}

}  // namespace

Lines banner_lines() {
  Lines lines;
  for (const char* text :
       {" ", "  ----- モンテカルロシミュレーション -----", "  ファントム中におけるＸ線スペクトルの計測", " ",
        "    * ファントムサイズ：60cmφ×30cm厚", "    * 線源‐表面間距離  SSD = 70cm  一定",
        "    * カウンタ：線束中心軸に設定した 1 cmφの球", "    * 測定深：0, 2，5，10，15, 20 cm", " "}) {
    lines.push_back(text_line(text));
  }
  return lines;
}

Lines echo_lines(const RunConditions& c) {
  const char* rectification = c.rectification_code == 1   ? "    * 高電圧整流方式：定電圧"
                              : c.rectification_code == 2 ? "    * 高電圧整流方式：三相12ピーク"
                                                          : "    * 高電圧整流方式：単相全波";
  const char* formula =
      c.formula_code == 1 ? "    * 入射Ｘ線スペクトル：Birch 式による" : "    * 入射Ｘ線スペクトル：Tucker 式による";
  const char* phantom = c.phantom_code == 1 ? "    * ファントム物質：水" : "    * ファントム物質：ICRU 軟部組織";
  return {
      text_line("  ---  照射条件  ---"),
      text_line(" "),
      " " + std::string("    * 管電圧 = ") + format_fixed(c.tube_voltage_kv, 6, 1) + " [kV]",
      " " + std::string(rectification),
      " " + std::string("    * ターゲット角 = ") + format_fixed(c.target_angle_deg, 6, 1) + " [deg]",
      " " + std::string("    * 固有ろ過 = ") + format_fixed(c.inherent_filtration_mm, 6, 3) + " [mmAl eq.]",
      " " + std::string("    * 付加フィルタ Al = ") + format_fixed(c.al_filter_mm, 6, 3) + " [mm]",
      " " + std::string("    * 付加フィルタ Cu = ") + format_fixed(c.cu_filter_mm, 6, 3) + " [mm]",
      " " + std::string("    * 照射野直径 = ") + format_fixed(c.field_diameter_cm, 6, 1) + " [cm]",
      " " + std::string("    * 入射光子数 = ") + format_fixed(c.photons_per_cm2, 11, 0) + " [/cm2]",
      " " + std::string(formula),
      " " + std::string(phantom),
  };
}

Lines notice_lines() {
  Lines lines;
  for (const char* text :
       {" ", " ", "  ---  計算には長時間を要する場合があります  ---", "         計算開始後を計算を中止するには",
        "         Ctrl+C を押して下さい", " ", "  ---  Enter キーを押すと計算が開始されます  ---"}) {
    lines.push_back(text_line(text));
  }
  return lines;
}

Lines start_time_lines(const ClockTime& start) {
  return {text_line(" "), text_line(" "), " " + std::string(" 計算開始時刻 =") + time_text(start)};
}

Lines end_time_lines(const ClockTime& end) {
  return {text_line(" "), " " + std::string(" 計算終了時刻 =") + time_text(end)};
}

Lines final_lines(const RunConditions& conditions, Charset charset) {
  // A20: the first 20 bytes of the name in the console's character set, never half a character.
  constexpr int kShownNameBytes = 20;
  const std::string_view name(conditions.results_file_name.data(), conditions.results_file_name.size());
  const std::size_t kept = whole_character_prefix(name, kShownNameBytes, charset);
  const std::string shown = charset_to_utf8(format_text(name.substr(0, kept), kShownNameBytes), charset);
  return {text_line(" "), " " + std::string("---  計算結果は ") + shown + " に保存しました ---", text_line(" "),
          text_line(" "), text_line(" ---  Enter キーを押してください  ---")};
}

}  // namespace drevik
