// The linear regression sets of NIST's Statistical Reference Datasets (Norris, Pontius,
// Filip, Wampler1-5), fitted through the engine's polynomial function codes and compared
// with the certified parameters, standard deviations, residual standard deviation and R2.
// With every error 1 the weights are 1, so the covariance is scaled by X2/(N - n) and its
// diagonal gives the same standard deviations as an unweighted regression.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "fitting/dose_estimation.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"

namespace {

struct TCertifiedSet {
    const char* Name;
    FunctionCode Code;
    std::vector<std::pair<double, double>> Points;  // (x, y)
    std::vector<double> Params;
    std::vector<double> StdDevs;
    double ResidualStdDev;
    double RSquared;
    // Significant digits the comparison asks for: what double precision holds on a problem
    // of this conditioning. Filip's degree-10 design on doses far from 0 is so badly
    // conditioned that about nine digits are lost; Wampler5's residuals are 1e7 times its
    // parameters.
    int Digits;
};

std::vector<std::pair<double, double>> Wampler1Points() {
    std::vector<std::pair<double, double>> points;
    for (int x = 0; x <= 20; ++x) {
        double y = 0.0;
        for (int k = 5; k >= 0; --k) y = y * x + 1.0;  // 1 + x + ... + x^5, exact
        points.emplace_back(x, y);
    }
    return points;
}

std::vector<std::pair<double, double>> WithDoses0To20(const std::vector<double>& y) {
    std::vector<std::pair<double, double>> points;
    for (size_t x = 0; x < y.size(); ++x) points.emplace_back(static_cast<double>(x), y[x]);
    return points;
}

const std::vector<double> kWamplerOnes(6, 1.0);

std::vector<TCertifiedSet> CertifiedSets() {
    std::vector<TCertifiedSet> sets;
    sets.push_back({"Norris",
                    kLinearFunction,
                    {{0.2, 0.1},     {337.4, 338.8}, {118.2, 118.1}, {884.6, 888.0}, {10.1, 9.2},
                     {226.5, 228.1}, {666.3, 668.5}, {996.3, 998.5}, {448.6, 449.1}, {777.0, 778.9},
                     {558.2, 559.2}, {0.4, 0.3},     {0.6, 0.1},     {775.5, 778.1}, {666.9, 668.8},
                     {338.0, 339.3}, {447.5, 448.9}, {11.6, 10.8},   {556.0, 557.7}, {228.1, 228.3},
                     {995.8, 998.0}, {887.6, 888.8}, {120.2, 119.6}, {0.3, 0.3},     {0.3, 0.6},
                     {556.8, 557.6}, {339.1, 339.3}, {887.2, 888.0}, {999.0, 998.5}, {779.0, 778.9},
                     {11.1, 10.2},   {118.3, 117.6}, {229.2, 228.9}, {669.1, 668.4}, {448.9, 449.2},
                     {0.5, 0.2}},
                    {-0.262323073774029, 1.00211681802045},
                    {0.232818234301152, 0.429796848199937E-03},
                    0.884796396144373,
                    0.999993745883712,
                    12});
    std::vector<std::pair<double, double>> pontius;
    const double pontiusY[2][20] = {
        {0.11019, 0.21956, 0.32949, 0.43899, 0.54803, 0.65694, 0.76562, 0.87487, 0.98292, 1.09146,
         1.20001, 1.30822, 1.41599, 1.52399, 1.63194, 1.73947, 1.84646, 1.95392, 2.06128, 2.16844},
        {0.11052, 0.22018, 0.32939, 0.43886, 0.54798, 0.65739, 0.76596, 0.87474, 0.98300, 1.09150,
         1.20004, 1.30818, 1.41613, 1.52408, 1.63159, 1.73965, 1.84696, 1.95445, 2.06177, 2.16829}};
    for (const auto& series : pontiusY) {
        for (int i = 0; i < 20; ++i) pontius.emplace_back(150000.0 * (i + 1), series[i]);
    }
    sets.push_back({"Pontius",
                    kQuadraticFunction,
                    pontius,
                    {0.673565789473684E-03, 0.732059160401003E-06, -0.316081871345029E-14},
                    {0.107938612033077E-03, 0.157817399981659E-09, 0.486652849992036E-16},
                    0.205177424076185E-03,
                    0.999999900178537,
                    13});
    sets.push_back({"Filip",
                    kPolynomialBase + 10,
                    {
                        {-6.860120914, 0.8116}, {-4.324130045, 0.9072}, {-4.358625055, 0.9052},
                        {-4.358426747, 0.9039}, {-6.955852379, 0.8053}, {-6.661145254, 0.8377},
                        {-6.355462942, 0.8667}, {-6.118102026, 0.8809}, {-7.115148017, 0.7975},
                        {-6.815308569, 0.8162}, {-6.519993057, 0.8515}, {-6.204119983, 0.8766},
                        {-5.853871964, 0.8885}, {-6.109523091, 0.8859}, {-5.79832982, 0.8959},
                        {-5.482672118, 0.8913}, {-5.171791386, 0.8959}, {-4.851705903, 0.8971},
                        {-4.517126416, 0.9021}, {-4.143573228, 0.909},  {-3.709075441, 0.9139},
                        {-3.499489089, 0.9199}, {-6.300769497, 0.8692}, {-5.953504836, 0.8872},
                        {-5.642065153, 0.89},   {-5.031376979, 0.891},  {-4.680685696, 0.8977},
                        {-4.329846955, 0.9035}, {-3.928486195, 0.9078}, {-8.56735134, 0.7675},
                        {-8.363211311, 0.7705}, {-8.107682739, 0.7713}, {-7.823908741, 0.7736},
                        {-7.522878745, 0.7775}, {-7.218819279, 0.7841}, {-6.920818754, 0.7971},
                        {-6.628932138, 0.8329}, {-6.323946875, 0.8641}, {-5.991399828, 0.8804},
                        {-8.781464495, 0.7668}, {-8.663140179, 0.7633}, {-8.473531488, 0.7678},
                        {-8.247337057, 0.7697}, {-7.971428747, 0.77},   {-7.676129393, 0.7749},
                        {-7.352812702, 0.7796}, {-7.072065318, 0.7897}, {-6.774174009, 0.8131},
                        {-6.478861916, 0.8498}, {-6.159517513, 0.8741}, {-6.835647144, 0.8061},
                        {-6.53165267, 0.846},   {-6.224098421, 0.8751}, {-5.910094889, 0.8856},
                        {-5.598599459, 0.8919}, {-5.290645224, 0.8934}, {-4.974284616, 0.894},
                        {-4.64454848, 0.8957},  {-4.290560426, 0.9047}, {-3.885055584, 0.9129},
                        {-3.408378962, 0.9209}, {-3.13200249, 0.9219},  {-8.726767166, 0.7739},
                        {-8.66695597, 0.7681},  {-8.511026475, 0.7665}, {-8.165388579, 0.7703},
                        {-7.886056648, 0.7702}, {-7.588043762, 0.7761}, {-7.283412422, 0.7809},
                        {-6.995678626, 0.7961}, {-6.691862621, 0.8253}, {-6.392544977, 0.8602},
                        {-6.067374056, 0.8809}, {-6.684029655, 0.8301}, {-6.378719832, 0.8664},
                        {-6.065855188, 0.8834}, {-5.752272167, 0.8898}, {-5.132414673, 0.8964},
                        {-4.811352704, 0.8963}, {-4.098269308, 0.9074}, {-3.66174277, 0.9119},
                        {-3.2644011, 0.9228},
                    },
                    {-1467.48961422980, -2772.17959193342, -2316.37108160893, -1127.97394098372,
                     -354.478233703349, -75.1242017393757, -10.8753180355343, -1.06221498588947,
                     -0.670191154593408E-01, -0.246781078275479E-02, -0.402962525080404E-04},
                    {298.084530995537, 559.779865474950, 466.477572127796, 227.204274477751,
                     71.6478660875927, 15.2897178747400, 2.23691159816033, 0.221624321934227,
                     0.142363763154724E-01, 0.535617408889821E-03, 0.896632837373868E-05},
                    0.334801051324544E-02,
                    0.996727416185620,
                    6});
    sets.push_back({"Wampler1", kPolynomialBase + 5, Wampler1Points(), kWamplerOnes,
                    std::vector<double>(6, 0.0), 0.0, 1.0, 11});
    sets.push_back(
        {"Wampler2",
         kPolynomialBase + 5,
         WithDoses0To20({1.00000,  1.11111,  1.24992,  1.42753,  1.65984,  1.96875,  2.38336,
                         2.94117,  3.68928,  4.68559,  6.00000,  7.71561,  9.92992,  12.75603,
                         16.32384, 20.78125, 26.29536, 33.05367, 41.26528, 51.16209, 63.00000}),
         {1.0, 0.1, 0.01, 0.001, 0.0001, 0.00001},
         std::vector<double>(6, 0.0),
         0.0,
         1.0,
         13});
    sets.push_back(
        {"Wampler3",
         kPolynomialBase + 5,
         WithDoses0To20({760.,    -2042.,  2111.,    -1684.,   3888.,    1858.,    11379.,
                         17560.,  39287.,  64382.,   113159.,  175108.,  273291.,  400186.,
                         581243., 811568., 1121004., 1506550., 2002767., 2611612., 3369180.}),
         kWamplerOnes,
         {2152.32624678170, 2363.55173469681, 779.343524331583, 101.475507550350, 5.64566512170752,
          0.112324854679312},
         2360.14502379268,
         0.999995559025820,
         13});
    sets.push_back(
        {"Wampler4",
         kPolynomialBase + 5,
         WithDoses0To20({75901.,   -204794., 204863.,  -204436., 253665.,  -200894., 214131.,
                         -185192., 221249.,  -138370., 315911.,  -27644.,  455253.,  197434.,
                         783995.,  608816.,  1370781., 1303798., 2205519., 2408860., 3444321.}),
         kWamplerOnes,
         {215232.624678170, 236355.173469681, 77934.3524331583, 10147.5507550350, 564.566512170752,
          11.2324854679312},
         236014.502379268,
         0.957478440825662,
         11});
    sets.push_back(
        {"Wampler5",
         kPolynomialBase + 5,
         WithDoses0To20({7590001.,  -20479994., 20480063., -20479636., 25231365., -20476094.,
                         20489331., -20460392., 18417449., -20413570., 20591111., -20302844.,
                         18651453., -20077766., 21059195., -19666384., 26348481., -18971402.,
                         22480719., -17866340., 10958421.}),
         kWamplerOnes,
         {21523262.4678170, 23635517.3469681, 7793435.24331583, 1014755.07550350, 56456.6512170752,
          1123.24854679312},
         23601450.2379268,
         0.224668921574940E-02,
         9});
    return sets;
}

// |value - certified| within 10^-digits of the certified value; a certified 0 (the exact
// Wampler fits) is compared on the scale given.
void ExpectDigits(double value, double certified, double zeroScale, int digits,
                  const std::string& what) {
    const double scale = certified != 0.0 ? std::fabs(certified) : zeroScale;
    EXPECT_LE(std::fabs(value - certified), std::pow(10.0, -digits) * scale)
        << what << ": " << value << " against " << certified;
}

}  // namespace

TEST(CertifiedLinearRegression, PolynomialCodesReproduceTheCertifiedValues) {
    for (const TCertifiedSet& c : CertifiedSets()) {
        SCOPED_TRACE(c.Name);
        TPointSet set1;
        TPointSet set2;
        set1.Count = static_cast<int>(c.Points.size());
        ASSERT_LE(set1.Count, kMaxPoints);
        for (int i = 0; i < set1.Count; ++i) {
            set1.Dose[i] = c.Points[i].first;
            set1.Signal[i] = c.Points[i].second;
            set1.Error[i] = 1.0;
        }
        TFitRecord fit;
        std::string note;
        ResultCode code = -99;
        EstimateDose(dmTestFit, kArbitraryErrors, c.Code, kCorrectionTable, set1, set2, fit, note,
                     code);
        ASSERT_EQ(code, kResultOk) << note;
        const int n = static_cast<int>(c.Params.size());
        ASSERT_EQ(fit.NParams1, n);
        for (int j = 0; j < n; ++j) {
            const std::string index = std::to_string(j);
            ExpectDigits(fit.Params1[j], c.Params[j], 0.0, c.Digits, "B" + index);
            ExpectDigits(std::sqrt(fit.Cov1[j * kMatrixStride + j]), c.StdDevs[j],
                         std::fabs(c.Params[j]), c.Digits, "sd(B" + index + ")");
        }
        const double residualStdDev = std::sqrt(fit.ChiSquare1 / (set1.Count - n));
        // The exact fits leave residuals at rounding level of signals up to 3.4e6.
        ExpectDigits(residualStdDev, c.ResidualStdDev, 1e6, c.Digits, "residual sd");
        ExpectDigits(fit.R2_1, c.RSquared, 1.0, c.Digits, "R2");
    }
}
