#include "analysis/dose_rate_terms.h"

#include "analysis/water_correction.h"

TDoseRateComponents TDoseRateModel::Evaluate(const std::array<double, kParamCount>& x) const {
    TDoseRateComponents c;
    const double water = x[kParamWater];
    if (CountsAlpha) {
        const double dry =
            x[kParamAValue] * (x[kParamU] * x[kParamAlphaU] + x[kParamTh] * x[kParamAlphaTh]);
        c.Alpha = dry * WaterMultiplier(kWaterAlphaFactor, water);
    }
    // The tables give no factor for Rb; its betas are attenuated with the K factors.
    const double beta =
        x[kParamU] * x[kParamBetaU] * (1.0 - x[kParamAbsorbedU]) * x[kParamEtchU] +
        x[kParamTh] * x[kParamBetaTh] * (1.0 - x[kParamAbsorbedTh]) * x[kParamEtchTh] +
        (x[kParamK] * x[kParamBetaK] + x[kParamRb] * x[kParamBetaRb]) * (1.0 - x[kParamAbsorbedK]) *
            x[kParamEtchK];
    c.Beta = beta * WaterMultiplier(kWaterBetaFactor, water);
    const double gamma = x[kParamU] * x[kParamGammaU] + x[kParamTh] * x[kParamGammaTh] +
                         x[kParamK] * x[kParamGammaK];
    c.Gamma = gamma * WaterMultiplier(kWaterGammaFactor, water);
    c.Cosmic = CosmicDoseRate * x[kParamCosmicScale];
    // The grain keeps the absorbed fraction of the beta dose of its own K and Rb.
    c.Internal = (x[kParamInternalK] * x[kParamBetaK] + x[kParamInternalRb] * x[kParamBetaRb]) *
                 x[kParamAbsorbedK];
    c.Total = c.Alpha + c.Beta + c.Gamma + c.Cosmic + c.Internal;
    return c;
}

namespace {

void Set(TDoseRateModel& m, TDoseRateParameter p, double mean, double sigma, bool systematic) {
    m.Mean[p] = mean;
    m.Sigma[p] = sigma;
    m.Systematic[p] = systematic;
}

void SetFactor(TDoseRateModel& m, TDoseRateParameter p, const TFactor& f) {
    Set(m, p, f.Value, f.Error, true);
}

// A content from its activity when one is given.
TMeasured Content(bool hasActivity, const TMeasured& activity, double perUnit,
                  const TMeasured& content) {
    if (!hasActivity) return content;
    return {activity.Value / perUnit, activity.Error / perUnit};
}

}  // namespace

TDoseRateModel BuildDoseRateModel(const TDoseRateInputs& in, TDoseRateSteps& steps) {
    TDoseRateModel m;
    const TMeasured k = Content(in.HasKActivity, in.KActivity, PotassiumBqPerPercent(), in.K);
    const TMeasured u = Content(in.HasUActivity, in.UActivity, UraniumBqPerPpm(), in.U);
    const TMeasured th = Content(in.HasThActivity, in.ThActivity, ThoriumBqPerPpm(), in.Th);
    Set(m, kParamK, k.Value, k.Error, false);
    Set(m, kParamU, u.Value, u.Error, false);
    Set(m, kParamTh, th.Value, th.Error, false);
    Set(m, kParamRb, in.Rb.Value, in.Rb.Error, false);
    steps.K = k.Value;
    steps.KError = k.Error;
    steps.U = u.Value;
    steps.UError = u.Error;
    steps.Th = th.Value;
    steps.ThError = th.Error;
    steps.Rb = in.Rb.Value;
    steps.RbError = in.Rb.Error;

    if (in.HasInternalK) Set(m, kParamInternalK, in.InternalK.Value, in.InternalK.Error, false);
    if (in.HasInternalRb) {
        Set(m, kParamInternalRb, in.InternalRb.Value, in.InternalRb.Error, false);
    }
    Set(m, kParamWater, in.Water.Value, in.Water.Error, false);
    m.CountsAlpha = in.HasAValue;
    if (in.HasAValue) Set(m, kParamAValue, in.AValue.Value, in.AValue.Error, false);

    const TConversionFactors& f = ConversionFactors(in.Factors);
    steps.Factors = f;
    SetFactor(m, kParamAlphaU, f.AlphaU);
    SetFactor(m, kParamAlphaTh, f.AlphaTh);
    SetFactor(m, kParamBetaU, f.BetaU);
    SetFactor(m, kParamBetaTh, f.BetaTh);
    SetFactor(m, kParamBetaK, f.BetaK);
    SetFactor(m, kParamBetaRb, f.BetaRb);
    SetFactor(m, kParamGammaU, f.GammaU);
    SetFactor(m, kParamGammaTh, f.GammaTh);
    SetFactor(m, kParamGammaK, f.GammaK);

    TRangeFactors absorbed;  // zero: no attenuation without a grain size
    if (in.HasGrainSize) {
        BetaAbsorbedFractionsForRange(in.Attenuation, in.GrainSize.Min, in.GrainSize.Max, absorbed);
    }
    steps.Absorbed = absorbed;
    Set(m, kParamAbsorbedU, absorbed.Value.U, absorbed.Error.U, false);
    Set(m, kParamAbsorbedTh, absorbed.Value.Th, absorbed.Error.Th, false);
    Set(m, kParamAbsorbedK, absorbed.Value.K, absorbed.Error.K, false);

    TRangeFactors etch;
    etch.Value = {1.0, 1.0, 1.0};
    if (in.HasEtch) BetaEtchFactorsForRange(in.Etch.Min, in.Etch.Max, etch);
    steps.Etch = etch;
    Set(m, kParamEtchU, etch.Value.U, etch.Error.U, false);
    Set(m, kParamEtchTh, etch.Value.Th, etch.Error.Th, false);
    Set(m, kParamEtchK, etch.Value.K, etch.Error.K, false);

    // The cosmic dose rate enters as its value times a scale of 1 +- the relative error.
    double cosmic = 0.0;
    double relative = 0.10;
    if (in.HasSite) {
        steps.CosmicFromSite = true;
        steps.Cosmic = CosmicDoseRate(in.Site);
        cosmic = steps.Cosmic.DoseRate;
    } else if (in.HasCosmic) {
        cosmic = in.Cosmic;
        steps.Cosmic.DoseRate = cosmic;
    }
    if (in.HasCosmicError) relative = cosmic > 0.0 ? in.CosmicError / cosmic : 0.0;
    m.CosmicDoseRate = cosmic;
    Set(m, kParamCosmicScale, 1.0, cosmic > 0.0 ? relative : 0.0, true);

    steps.WaterAlpha = WaterMultiplier(kWaterAlphaFactor, in.Water.Value);
    steps.WaterBeta = WaterMultiplier(kWaterBetaFactor, in.Water.Value);
    steps.WaterGamma = WaterMultiplier(kWaterGammaFactor, in.Water.Value);
    TDoseRateModel dry = m;
    dry.Mean[kParamWater] = 0.0;
    const TDoseRateComponents d = dry.Evaluate(dry.Mean);
    steps.DryAlpha = d.Alpha;
    steps.DryBeta = d.Beta;
    steps.DryGamma = d.Gamma;
    return m;
}
