#pragma once
// The record of one dose computation: what EstimateDose fills in, what the solutions log stores
// and what the graph windows draw from.
#include <cstdint>
#include <string>

// Dose methods of EstimateDose, numbered as the workflow and the solutions log store them.
enum DoseMethod : int32_t {
    dmTestFit = 1,
    dmAdditive = 2,
    dmTotalBleach = 3,
    dmPartialBleach = 4,
    dmRegenerative = 5,
    dmSlide = 6,
    dmCeramic = 7,
    dmSingleAliquot = 8,
    dmDecayCorrection = 9,
    dmAlphaEfficiency = 10,
};

struct TFitRecord {
    static constexpr int kMaxParams = 15;

    std::string Description;  // shown by the graph window; the engine ignores it
    int32_t Word = 0;         // free for the caller; the engine ignores it
    int32_t Channel = 0;      // channel or disk index, set by the workflow
    int32_t Method = 0;       // DoseMethod
    int32_t ErrorModel = 0;
    int32_t ResultCode = 0;
    int32_t Code1 = 0;     // function code of the first curve
    int32_t NParams1 = 0;  // output
    int32_t Count1 = 0;
    int32_t Code2 = 63;    // 63: no second curve (or a correction table)
    int32_t NParams2 = 0;  // output; 0 for code 63
    int32_t Count2 = 0;
    double ED = 0;  // result value; start value of the single-aliquot iteration
    double EDError = 0;
    double ChiSquare1 = 0;
    double P1 = 0;
    double R2_1 = 0;
    double ChiSquare2 = 0;
    double P2 = 0;
    double R2_2 = 0;
    // The slide methods keep the scale factor in Params2[NParams2] and its variance in
    // Cov2[NParams2 * 15 + NParams2].
    double Params1[kMaxParams] = {};
    double Params2[kMaxParams] = {};
    double Cov1[kMaxParams * kMaxParams] = {};  // row-major, row stride 15
    double Cov2[kMaxParams * kMaxParams] = {};
};
