// The two number masks of the plot read-out.
#pragma once

#include <QString>

namespace velmora {

// "###.0": one decimal, digits before the point only as needed (0.5 gives .5, 12 gives 12.0).
QString format_energy_mask(double value);

// "0.00000": at least one digit before the point, five decimals.
QString format_relative_mask(double value);

}  // namespace velmora
