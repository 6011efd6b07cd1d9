// The tax-rate table of the TARNVEX control file CDCCTL.DAT.
//
// The table occupies the 96 bytes from offset 66 of the control file: six
// records of 16 bytes, back to back, with no header, count or checksum.
// Every other byte of the file belongs to the TARNVEX application.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace drelbin {

inline constexpr std::int64_t TaxRateTableOffset = 66;
inline constexpr std::size_t kTaxRateRecordCount = 6;
inline constexpr std::size_t kTaxRateRecordSize = 16;
inline constexpr std::size_t kTaxRateTableSize = kTaxRateRecordCount * kTaxRateRecordSize;

// One rate period.  Stored little-endian: the date as a 32-bit integer, the
// rates as IEEE 754 single-precision numbers.  An empty record is all zeros.
struct TaxRateRecord {
  std::int32_t EffectiveDate;  // first day of the period as yyyymmdd
  float Rate;                  // percent: 3.0 is 3%
  float SecondRate;
  float ThirdRate;
};

// The history that the program writes: the four rate periods of Japanese
// consumption tax in ascending order, ending with 10% from 1 October 2019,
// then two empty records.
inline constexpr std::array<TaxRateRecord, kTaxRateRecordCount> kTaxRateHistory = {{
    {19890401, 3.0f, 4.5f, 0.0f},
    {19970401, 5.0f, 0.0f, 0.0f},
    {20140401, 8.0f, 0.0f, 0.0f},
    {20191001, 10.0f, 0.0f, 0.0f},
    {0, 0.0f, 0.0f, 0.0f},
    {0, 0.0f, 0.0f, 0.0f},
}};

using TaxRateTableBytes = std::array<std::uint8_t, kTaxRateTableSize>;

// The table as stored in the file, whatever the host's byte order.
TaxRateTableBytes SerializeTaxRateTable(
    const std::array<TaxRateRecord, kTaxRateRecordCount>& records);

}  // namespace drelbin
