#include "import/binx_layout.h"

#include <initializer_list>

namespace {

constexpr TBinxLayout kOld = {272, 33, 34, 208, 210, 105, 126, 35, 42, 67, 209, 8, 207, 212,
                          9,   13, 17, 21,  79,  83,  68,  -1,  -1};
// Versions 06 and 07; 05 lacks IRR_DOSERATEERR (fields after byte 368 sit 4 bytes earlier,
// none of which is read), 08 moves every field from byte 14 on by one.
constexpr TBinxLayout kNew = {447, 18,  14,  16,  20,  28,  49,  264, 271, 278, 302, 323,
                          324, 325, 329, 333, 337, 341, 345, 349, 359, 364, 368};

}  // namespace

TBinxLayout BinxLayoutOf(int version) {
    if (version <= 4) return kOld;
    TBinxLayout l = kNew;
    if (version == 5) {
        l.header = 423;
        l.doseRateError = -1;
    }
    if (version == 8) {
        l.header = 507;
        for (int* f : {&l.position, &l.run, &l.set, &l.grain, &l.sample, &l.comment, &l.time,
                       &l.date, &l.dataType, &l.tag, &l.lumType, &l.lightSource, &l.lightPower,
                       &l.low, &l.high, &l.rate, &l.temperature, &l.anTemp, &l.anTime,
                       &l.irrTime, &l.doseRate, &l.doseRateError})
            ++*f;
    }
    return l;
}


int BinxHeaderSize(int version) {
    if (version < 3 || version > 8) return 0;
    return BinxLayoutOf(version).header;
}
