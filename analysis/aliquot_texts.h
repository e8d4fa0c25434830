#pragma once
// Display texts of the aliquot model: doses, bleaching treatments, irradiations, record
// descriptions and numbers rounded to significant digits.
#include <functional>
#include <string>

#include "analysis/aliquot_types.h"

// Formats an irradiation date (days since 1899-12-30, time as fraction of a day). The user
// interface passes one in the locale's short date and long time; the default writes
// "2026-03-16 10:42:00".
using TDateTimeText = std::function<std::string(double)>;
std::string IsoDateTimeText(double dateTime);

// "34.5Gy"; empty when Dose <= 0.
std::string DoseText(const TIrradiation& irradiation);
// "Not bleached" or "BL(120.0/SOLAR)", "BL(100.0)".
std::string BleachingText(const TBleaching& bleaching);
// "alpha", "beta", "gamma", "?" for none.
std::string RadiationName(TRadiation radiation);
// "beta 2026-03-16 10:42:00": the radiation and the whole date with its time, so that
// irradiations of different days never look alike; empty when Dose <= 0.
std::string IrradiationText(const TIrradiation& irradiation,
                            const TDateTimeText& dateText = IsoDateTimeText);
// "r12 d3 OSL#1 N+34.5Gy beta 2026-03-16 10:42:00" (see BuildLookupTable).
std::string RecordDescription(const TLookupRecord& record,
                              const TDateTimeText& dateText = IsoDateTimeText);
// x rounded to 3 significant digits in general notation ("41.9", "0.0123", "1.23e+03");
// 0 gives "0" + decimalSeparator + "000".
std::string SignificantText(double x, char decimalSeparator = '.');
