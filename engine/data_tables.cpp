// TEAM RULES (remove this line when you edit the file): before any work, read /tmp/common.md in full; it binds you (no git commands, own build folder, no mention of the description in code, tests guidance, time limit 15:55 UTC).
#include "data_tables.h"

#include "input_error.h"

namespace drevik {

// Placeholder until the data loaders land: the tables stay zero.

const char* material_file_name(int phantom_code) { return phantom_code == 1 ? kWaterFileName : kSoftTissueFileName; }

std::filesystem::path locate_data_file(const std::string& name) { return name; }

void load_attenuation_table(const std::filesystem::path& /*file*/, AttenuationTable& /*table*/) {}

void load_material_tables(const std::filesystem::path& /*file*/, float /*tube_voltage_kv*/,
                          MaterialTables& /*tables*/) {}

}  // namespace drevik
