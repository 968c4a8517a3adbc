// Loading the attenuation table and the phantom material tables, and where the
// data files are looked up.
#pragma once

#include <filesystem>
#include <string>

#include "run_state.h"

namespace drevik {

constexpr const char* kAttenuationFileName = "MUs_202202.data";
constexpr const char* kWaterFileName = "water.dat";
constexpr const char* kSoftTissueFileName = "ICRUSoft.dat";

// The material file of a phantom code: water.dat for 1, ICRUSoft.dat for anything else.
const char* material_file_name(int phantom_code);

// The data file of that name: the working folder's copy, else the one installed with
// the engine. Throws InputError naming every place looked at when there is none.
std::filesystem::path locate_data_file(const std::string& name);

// Reads MUs_202202.data (600 fixed-column lines) into the table; throws InputError.
void load_attenuation_table(const std::filesystem::path& file, AttenuationTable& table);

// Reads a material file and forms the two derived values; checks the requirements the
// transport relies on (energies up to above tube_voltage_kv and so on); throws InputError.
void load_material_tables(const std::filesystem::path& file, float tube_voltage_kv, MaterialTables& tables);

}  // namespace drevik
