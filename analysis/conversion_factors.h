#pragma once
// Dose-rate conversion factors: the infinite-matrix dose rate (Gy/ka) delivered by a unit
// concentration of a radionuclide series (1 % K, 1 ppm U, Th or Rb), per radiation kind,
// from the published tables a laboratory may choose.
#include <string>
#include <string_view>

enum class TConversionTable {
    Guerin2011,         // Guérin, Mercier & Adamiec (2011), the default
    AdamiecAitken1998,  // Adamiec & Aitken (1998)
    Liritzis2013,       // Liritzis et al. (2013)
    Cresswell2018,      // Cresswell et al. (2018)
};

struct TFactor {
    double Value = 0.0;
    double Error = 0.0;
};

struct TConversionFactors {
    TFactor AlphaU, AlphaTh;
    TFactor BetaU, BetaTh, BetaK, BetaRb;
    TFactor GammaU, GammaTh, GammaK;
};

// The factors of a table.
const TConversionFactors& ConversionFactors(TConversionTable table);

// Short names used on the command line and in the inputs file ("guerin2011", ...).
std::string_view ConversionTableKey(TConversionTable table);
// Full citation for reports ("Guérin et al. (2011)").
std::string_view ConversionTableCitation(TConversionTable table);
// Parses a short name; false when it names no table.
bool ParseConversionTable(std::string_view key, TConversionTable& table);

// Activities to concentrations: the specific activity (Bq/kg of sediment) of 1 ppm of
// natural U (U-238), 1 ppm of Th (Th-232) and 1 % of natural K (K-40), from the half-lives,
// isotopic abundances and atomic weights of the nuclear data tables.
double UraniumBqPerPpm();
double ThoriumBqPerPpm();
double PotassiumBqPerPercent();
