#include "record_store/measurement_codes.h"

#include <cmath>

std::optional<int> CodeWithDevice(int code, int device) {
    if (device != kHeaterDevice && (device < kFirstOslDevice || device > kIrslDevice)) {
        return std::nullopt;
    }
    return device * 100 + code % 100;
}

std::string OslDeviceName(int device) {
    if (device == kIrslDevice) return "IRSL";
    return "OSL #" + std::to_string(device - kFirstOslDevice);
}

double OslChannelWidth(int channel, const TTimeBases& bases) {
    // Counts summed in 64 bits: the bases come from 16-bit fields but are passed as int.
    const long long n = channel;
    const long long end10 = bases.N10;
    const long long end100 = end10 + bases.N100;
    const long long end1000 = end100 + bases.N1000;
    if (n <= end10) return 0.01;
    if (n <= end100) return 0.1;
    if (n <= end1000) return 1.0;
    return 10.0;
}

double OslTotalTime(const TTimeBases& bases) {
    return 0.01 * bases.N10 + 0.1 * bases.N100 + 1.0 * bases.N1000 + 10.0 * bases.N10000;
}

double OslBgdToRate(std::uint16_t stored) {
    return SwapBytes16(stored) / 10.0;
}

std::uint16_t RateToOslBgd(double rate) {
    const double tenths = RoundHalfEven(rate * 10.0);
    if (!(tenths > 0.0)) return 0;
    if (tenths > 65535.0) return 0xFFFF;
    return SwapBytes16(static_cast<std::uint16_t>(tenths));
}

std::optional<double> OslBgdHeldRate(double rate) {
    const double tenths = RoundHalfEven(rate * 10.0);
    if (!(tenths >= 0.0 && tenths <= kMaxOslBgdRate * 10.0)) return std::nullopt;
    return tenths / 10.0;
}

int PowerFromPercent(double percent) {
    if (std::isnan(percent)) percent = 0.0;
    if (percent < 0.0) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    return static_cast<int>(RoundHalfEven(percent * 2.55));
}
