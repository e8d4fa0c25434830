#include "analysis/dose_rate_terms.h"

#include "analysis/water_correction.h"

TDoseRateComponents TDoseRateModel::Evaluate(const std::array<double, kParamCount>& x) const {
    TDoseRateComponents c;
    const double water = x[kParamWater];
    if (UsesAlphaRate) {
        c.Alpha = x[kParamAlphaRate];
    } else if (CountsAlpha) {
        const double dry =
            x[kParamAValue] *
            (x[kParamU] * x[kParamAlphaU] * x[kParamAlphaReachU] * x[kParamAlphaEtchU] +
             x[kParamTh] * x[kParamAlphaTh] * x[kParamAlphaReachTh] * x[kParamAlphaEtchTh]);
        c.Alpha = dry * WaterMultiplier(kWaterAlphaFactor, water);
    }
    if (UsesBetaRate) {
        c.Beta = x[kParamBetaRate];
    } else {
        // Rb has no etch table of its own; its betas are taken to lose what K's lose.
        const double beta =
            x[kParamU] * x[kParamBetaU] * (1.0 - x[kParamAbsorbedU]) * x[kParamEtchU] +
            x[kParamTh] * x[kParamBetaTh] * (1.0 - x[kParamAbsorbedTh]) * x[kParamEtchTh] +
            x[kParamK] * x[kParamBetaK] * (1.0 - x[kParamAbsorbedK]) * x[kParamEtchK] +
            x[kParamRb] * x[kParamBetaRb] * (1.0 - x[kParamAbsorbedRb]) * x[kParamEtchK];
        c.Beta = beta * WaterMultiplier(kWaterBetaFactor, water);
    }
    if (UsesGammaRate) {
        c.Gamma = x[kParamGammaRate];
    } else {
        const double gamma = x[kParamU] * x[kParamGammaU] + x[kParamTh] * x[kParamGammaTh] +
                             x[kParamK] * x[kParamGammaK];
        c.Gamma = gamma * WaterMultiplier(kWaterGammaFactor, water);
    }
    if (CosmicFromSite) {
        TCosmicSite site = Site;
        site.Depth = x[kParamDepth];
        site.Density = x[kParamDensity];
        c.Cosmic = ::CosmicDoseRate(site).DoseRate * x[kParamCosmicScale];
    } else {
        c.Cosmic = CosmicDoseRate * x[kParamCosmicScale];
    }
    // The grain keeps the absorbed fraction of the beta dose of its own K, Rb, U and Th
    // (the fractions its size absorbs of the same betas from outside) and, with an a-value,
    // the part of its own alpha dose that does not escape it.
    c.Internal = x[kParamInternalK] * x[kParamBetaK] * x[kParamAbsorbedK] +
                 x[kParamInternalRb] * x[kParamBetaRb] * x[kParamAbsorbedRb] +
                 x[kParamInternalU] * x[kParamBetaU] * x[kParamAbsorbedU] +
                 x[kParamInternalTh] * x[kParamBetaTh] * x[kParamAbsorbedTh];
    if (CountsAlpha) {
        c.Internal +=
            x[kParamAValue] * (x[kParamInternalU] * x[kParamAlphaU] * x[kParamAlphaKeptU] +
                               x[kParamInternalTh] * x[kParamAlphaTh] * x[kParamAlphaKeptTh]);
    }
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

void SetFraction(TDoseRateModel& m, TDoseRateParameter p, const TGrainFraction& f) {
    Set(m, p, f.Value, f.Error, false);
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
    if (in.HasInternalU) Set(m, kParamInternalU, in.InternalU.Value, in.InternalU.Error, false);
    if (in.HasInternalTh) {
        Set(m, kParamInternalTh, in.InternalTh.Value, in.InternalTh.Error, false);
    }
    Set(m, kParamWater, in.Water.Value, in.Water.Error, false);
    m.CountsAlpha = in.HasAValue;
    steps.CountsAlpha = in.HasAValue;
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
    TGrainFraction rb;       // the same for Rb
    if (in.HasGrainSize) {
        BetaAbsorbedFractionsForRange(in.Attenuation, in.GrainSize.Min, in.GrainSize.Max, absorbed);
        rb = RbAbsorbedFractionForRange(in.GrainSize.Min, in.GrainSize.Max);
    }
    steps.Absorbed = absorbed;
    steps.RbAbsorbed = rb;
    Set(m, kParamAbsorbedU, absorbed.Value.U, absorbed.Error.U, false);
    Set(m, kParamAbsorbedTh, absorbed.Value.Th, absorbed.Error.Th, false);
    Set(m, kParamAbsorbedK, absorbed.Value.K, absorbed.Error.K, false);
    SetFraction(m, kParamAbsorbedRb, rb);

    TRangeFactors etch;
    etch.Value = {1.0, 1.0, 1.0};
    if (in.HasEtch) BetaEtchFactorsForRange(in.Etch.Min, in.Etch.Max, etch);
    steps.Etch = etch;
    Set(m, kParamEtchU, etch.Value.U, etch.Error.U, false);
    Set(m, kParamEtchTh, etch.Value.Th, etch.Error.Th, false);
    Set(m, kParamEtchK, etch.Value.K, etch.Error.K, false);

    // Alpha: fine grains take the whole external dose; coarse ones the fraction that reaches
    // them, less what etching took away. The internal alpha dose kept is 1 minus the fraction
    // escaping, which by reciprocity is the external fraction of the same size.
    steps.FineGrains = !in.HasGrainSize || in.GrainSize.Max <= kFineGrainMaxDiameter;
    TGrainFraction reachU{1.0, 0.0}, reachTh{1.0, 0.0}, keptU, keptTh;
    if (in.HasGrainSize) {
        const TGrainFraction u =
            AlphaExternalFractionForRange(TAlphaSeries::U, in.GrainSize.Min, in.GrainSize.Max);
        const TGrainFraction t =
            AlphaExternalFractionForRange(TAlphaSeries::Th, in.GrainSize.Min, in.GrainSize.Max);
        keptU = {1.0 - u.Value, u.Error};
        keptTh = {1.0 - t.Value, t.Error};
        if (!steps.FineGrains) {
            reachU = u;
            reachTh = t;
        }
    }
    TGrainFraction etchU{1.0, 0.0}, etchTh{1.0, 0.0};
    if (in.HasEtch && !steps.FineGrains) {
        etchU = AlphaEtchFactorForRange(TAlphaSeries::U, in.Etch.Min, in.Etch.Max);
        etchTh = AlphaEtchFactorForRange(TAlphaSeries::Th, in.Etch.Min, in.Etch.Max);
    }
    steps.AlphaU = reachU;
    steps.AlphaTh = reachTh;
    steps.AlphaEtchU = etchU;
    steps.AlphaEtchTh = etchTh;
    SetFraction(m, kParamAlphaReachU, reachU);
    SetFraction(m, kParamAlphaReachTh, reachTh);
    SetFraction(m, kParamAlphaEtchU, etchU);
    SetFraction(m, kParamAlphaEtchTh, etchTh);
    SetFraction(m, kParamAlphaKeptU, keptU);
    SetFraction(m, kParamAlphaKeptTh, keptTh);

    m.UsesGammaRate = in.HasGammaRate;
    m.UsesAlphaRate = in.HasAlphaRate;
    m.UsesBetaRate = in.HasBetaRate;
    if (in.HasGammaRate) Set(m, kParamGammaRate, in.GammaRate.Value, in.GammaRate.Error, false);
    if (in.HasAlphaRate) Set(m, kParamAlphaRate, in.AlphaRate.Value, in.AlphaRate.Error, false);
    if (in.HasBetaRate) Set(m, kParamBetaRate, in.BetaRate.Value, in.BetaRate.Error, false);

    // The cosmic dose rate enters as its value times a scale of 1 +- the relative error of the
    // model (10 %, or the typed error); from the site, depth and density are inputs too.
    double cosmic = 0.0;
    double relative = 0.10;
    if (in.HasSite) {
        steps.CosmicFromSite = true;
        steps.Cosmic = CosmicDoseRate(in.Site);
        cosmic = steps.Cosmic.DoseRate;
        m.CosmicFromSite = true;
        m.Site = in.Site;
        Set(m, kParamDepth, in.Site.Depth, in.DepthError, false);
        Set(m, kParamDensity, in.Site.Density, in.DensityError, false);
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
