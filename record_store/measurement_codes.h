#pragma once
// Encodings the maker's readers put on top of the schema types: the device code in "Dev#",
// OSL channel timing from the four time bases, the sample temperature split into two words,
// the byte-exchanged background rate in "OSL BGD" and the stimulation power of SAD files.
#include <cstdint>
#include <optional>
#include <string>

#include "record_store/curve_elements.h"  // RoundHalfEven

// --- Device code: "Dev#" = 100 x device + sub-number (0-99) ---
// Device 0 is the heater (TL); 20 to 27 are the OSL units "OSL #0" ... "OSL #7"; 28 is IRSL.
constexpr int kHeaterDevice = 0;
constexpr int kFirstOslDevice = 20;
constexpr int kIrslDevice = 28;

// A record is a TL record exactly when its code is below 1000.
inline bool IsTLDeviceCode(int code) {
    return code < 1000;
}
inline int DeviceOfCode(int code) {
    return code / 100;
}
// The code with its device replaced and its sub-number kept; nullopt for a device other than
// 0 or 20 to 28 (such entries are ignored).
std::optional<int> CodeWithDevice(int code, int device);
// "IRSL" for device 28, otherwise "OSL #" followed by device - 20 (meant for OSL devices).
std::string OslDeviceName(int device);

// --- OSL channel timing ---
// Channel counts of the four dwell times 0.01 s, 0.1 s, 1 s and 10 s.
struct TTimeBases {
    int N10 = 0;
    int N100 = 0;
    int N1000 = 0;
    int N10000 = 0;
};

// Dwell time in seconds of 1-based channel n: 0.01 s for n <= N10, 0.1 s up to N10 + N100,
// 1 s up to N10 + N100 + N1000, 10 s after that.
double OslChannelWidth(int channel, const TTimeBases& bases);
// Total stimulation time in seconds ("OSL time").
double OslTotalTime(const TTimeBases& bases);

// --- Sample temperature: 256 x "Sample temp hi" + "Sample temp", degC ---
inline int SampleTemperatureOf(int high, int low) {
    return 256 * high + low;
}

// --- "OSL BGD": round(rate x 10) with its two bytes exchanged inside the 16-bit word ---
inline std::uint16_t SwapBytes16(std::uint16_t w) {
    return static_cast<std::uint16_t>((w >> 8) | (w << 8));
}
// Counts per second held by the field value `stored` (as read from the WORD field).
double OslBgdToRate(std::uint16_t stored);
// Field value for a rate: round(rate x 10), byte-exchanged. The word cannot hold more than
// 6553.5 counts/s: larger rates store 65535 (not their low bits), negative ones and NaN 0.
std::uint16_t RateToOslBgd(double rate);
inline constexpr double kMaxOslBgdRate = 6553.5;  // counts/s
// The rate the field keeps of `rate`: rounded to 0.1 counts/s (halves to even); none for a
// rate it cannot hold (negative, NaN, above 6553.5 counts/s).
std::optional<double> OslBgdHeldRate(double rate);

// --- "Power" of SAD files: 0-255 for 0-100 % ---
inline double PowerPercent(int stored) {
    return stored / 2.55;
}
// A percentage clamped to 0-100 and stored as round(p x 2.55).
int PowerFromPercent(double percent);
