#pragma once
// Writing curve records of a BIN/BINX data file (versions 03 to 08): the fields of
// TBinxRecord at their places, every other header byte 0, then the counts. Our own generator
// writes its SAR sample this way; the benchmark and the fuzzing seeds use it too.
#include <cstdint>
#include <vector>

#include "import/binx_record.h"

// Appends the record in its version (record.version, 3 .. 8) to `out`: LENGTH = header +
// 4 x counts, NPOINTS = counts, PREVIOUS = `previousLength`. Returns the record's LENGTH.
// Texts longer than their field are cut; version 03/04 bytes keep the low 8 bits.
uint32_t AppendBinxRecord(const TBinxRecord& record, uint32_t previousLength,
                          std::vector<uint8_t>& out);

// A whole file: the records one after the other, each PREVIOUS the LENGTH before it.
std::vector<uint8_t> EncodeBinxFile(const std::vector<TBinxRecord>& records);
