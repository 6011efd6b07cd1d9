#include "repair/tax_rate_table.h"

#include <bit>
#include <limits>

namespace drelbin {
namespace {

void PutLittleEndian32(std::uint32_t value, std::uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

TaxRateTableBytes SerializeTaxRateTable(
    const std::array<TaxRateRecord, kTaxRateRecordCount>& records) {
  static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
  TaxRateTableBytes bytes{};
  std::uint8_t* out = bytes.data();
  for (const TaxRateRecord& record : records) {
    PutLittleEndian32(static_cast<std::uint32_t>(record.EffectiveDate), out);
    PutLittleEndian32(std::bit_cast<std::uint32_t>(record.Rate), out + 4);
    PutLittleEndian32(std::bit_cast<std::uint32_t>(record.SecondRate), out + 8);
    PutLittleEndian32(std::bit_cast<std::uint32_t>(record.ThirdRate), out + 12);
    out += kTaxRateRecordSize;
  }
  return bytes;
}

}  // namespace drelbin
