#pragma once
// Where the fields of a BIN/BINX record sit, per version (03 to 08), for the reader and the
// writer. Offsets count from the start of the record.

// Offsets of the fields read and written; -1 where the version lacks the field. POSITION, RUN
// and SET are bytes in 03/04 and int16 from 05 on.
struct TBinxLayout {
    int header;
    int position, run, set, grain;
    int sample, comment, time, date;
    int dataType, tag, lumType, lightSource, lightPower;
    int low, high, rate, temperature, anTemp, anTime;
    int irrTime, doseRate, doseRateError;
};

// The layout of a version 3 .. 8 (versions outside give the 03 layout).
TBinxLayout BinxLayoutOf(int version);

// Header bytes of a version (272, 423, 447 or 507); 0 for a version outside 3 .. 8.
int BinxHeaderSize(int version);
