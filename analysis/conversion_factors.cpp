#include "analysis/conversion_factors.h"

#include <array>
#include <cmath>

namespace {

// Guérin, G., Mercier, N., Adamiec, G., 2011. Dose-rate conversion factors: update.
// Ancient TL 29, 5-8. Total U series with radon retained. The paper gives no uncertainties;
// the relative uncertainties of Liritzis et al. (2013) are carried over, as the published
// calculators do. Rb: 0.0185 Gy/ka for 50 ppm, i.e. 0.00037 per ppm (0.000008 assumed).
constexpr TConversionFactors kGuerin2011 = {
    {2.795, 0.011007877},  {0.7375, 0.0026},       // alpha U, Th
    {0.1457, 0.000399452}, {0.0277, 0.000906545},  // beta U, Th
    {0.7982, 0.007273574}, {0.00037, 0.000008},    // beta K, Rb
    {0.1116, 0.000199642}, {0.0479, 0.000199168},  // gamma U, Th
    {0.2491, 0.004786549},                         // gamma K
};

// Adamiec, G., Aitken, M.J., 1998. Dose-rate conversion factors: update. Ancient TL 16,
// no. 2 (U series with radon retained). Relative uncertainties as for Guérin
// et al. (2011). Rb: 0.019 Gy/ka for 50 ppm, i.e. 0.00038 per ppm.
constexpr TConversionFactors kAdamiecAitken1998 = {
    {2.78, 0.010948801},   {0.732, 0.00258061},   {0.146, 0.000400274},
    {0.0273, 0.000893455}, {0.782, 0.007125952},  {0.00038, 0.000008216},
    {0.113, 0.000202147},  {0.0476, 0.000197921}, {0.243, 0.004669335},
};

// Liritzis, I., Stamoulis, K., Papachristodoulou, C., Ioannides, K., 2013. A re-evaluation
// of radiation dose-rate conversion factors. Mediterranean Archaeology and Archaeometry 13,
// 1-15, with the uncertainties published there. The U series totals are the sums
// of the pre-radon (1.265, 0.0602, 0.0044) and post-radon (1.528, 0.0857, 0.1074) parts.
// The paper gives no Rb factor; that of Guérin et al. (2011) is used.
constexpr TConversionFactors kLiritzis2013 = {
    {2.793, 0.011},      {0.7375, 0.0026}, {0.1459, 0.0004}, {0.0275, 0.0009}, {0.8011, 0.0073},
    {0.00037, 0.000008}, {0.1118, 0.0002}, {0.0481, 0.0002}, {0.2498, 0.0048},
};

// Cresswell, A.J., Carter, J., Sanderson, D.C.W., 2018. Dose rate conversion parameters:
// Assessment of nuclear data. Radiation Measurements 120, 195-201. U series totals
// from the pre-radon (1.27, 0.056, 0.0037) and post-radon (1.52, 0.086, 0.1083) parts. No
// Rb factor is given; that of Guérin et al. (2011) is used.
constexpr TConversionFactors kCresswell2018 = {
    {2.79, 0.02},        {0.738, 0.004}, {0.142, 0.002},   {0.028, 0.001}, {0.835, 0.008},
    {0.00037, 0.000008}, {0.112, 0.001}, {0.0489, 0.0003}, {0.248, 0.003},
};

struct TTableEntry {
    TConversionTable Table;
    std::string_view Key;
    std::string_view Citation;
    const TConversionFactors* Factors;
};

constexpr std::array<TTableEntry, 4> kTables = {{
    {TConversionTable::Guerin2011, "guerin2011", "Guérin et al. (2011)", &kGuerin2011},
    {TConversionTable::AdamiecAitken1998, "adamiec1998", "Adamiec & Aitken (1998)",
     &kAdamiecAitken1998},
    {TConversionTable::Liritzis2013, "liritzis2013", "Liritzis et al. (2013)", &kLiritzis2013},
    {TConversionTable::Cresswell2018, "cresswell2018", "Cresswell et al. (2018)", &kCresswell2018},
}};

const TTableEntry& Entry(TConversionTable table) {
    for (const auto& entry : kTables) {
        if (entry.Table == table) return entry;
    }
    return kTables[0];
}

// Specific activity (Bq per kg of the element) of a nuclide: N_A * abundance / M * ln 2 / T.
double SpecificActivity(double abundance, double molarMassKg, double halfLifeYears) {
    constexpr double kAvogadro = 6.02214076e23;
    constexpr double kSecondsPerYear = 365.25 * 86400.0;
    return kAvogadro * abundance / molarMassKg * std::log(2.0) / (halfLifeYears * kSecondsPerYear);
}

}  // namespace

const TConversionFactors& ConversionFactors(TConversionTable table) {
    return *Entry(table).Factors;
}

std::string_view ConversionTableKey(TConversionTable table) {
    return Entry(table).Key;
}

std::string_view ConversionTableCitation(TConversionTable table) {
    return Entry(table).Citation;
}

bool ParseConversionTable(std::string_view key, TConversionTable& table) {
    for (const auto& entry : kTables) {
        if (entry.Key == key) {
            table = entry.Table;
            return true;
        }
    }
    return false;
}

// Half-lives: U-238 4.468e9 a, Th-232 1.40e10 a, K-40 1.248e9 a (IAEA nuclide chart);
// abundances U-238 0.992742, Th-232 1, K-40 0.000117; atomic weights U 238.02891,
// Th 232.0377, K 39.0983 g/mol. One ppm is 1e-6 kg per kg, one per cent 1e-2 kg per kg.
double UraniumBqPerPpm() {
    return SpecificActivity(0.992742, 0.23802891, 4.468e9) * 1e-6;
}
double ThoriumBqPerPpm() {
    return SpecificActivity(1.0, 0.2320377, 1.40e10) * 1e-6;
}
double PotassiumBqPerPercent() {
    return SpecificActivity(0.000117, 0.0390983, 1.248e9) * 1e-2;
}
