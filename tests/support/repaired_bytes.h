// What a control file holds once the table has been written into it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "repair/tax_rate_table.h"

namespace drelbin::testing {

// `before` with bytes 66..161 replaced by the table; a shorter file grows
// to 162 bytes, the gap read as zeros.
inline std::vector<std::uint8_t> RepairedBytes(std::vector<std::uint8_t> before) {
  const TaxRateTableBytes table = SerializeTaxRateTable(kTaxRateHistory);
  const std::size_t end = TaxRateTableOffset + kTaxRateTableSize;
  if (before.size() < end) before.resize(end, 0);
  std::copy(table.begin(), table.end(), before.begin() + TaxRateTableOffset);
  return before;
}

}  // namespace drelbin::testing
