#pragma once
// Devices of the measurement table: their ordering and equality, OSL timing and the device
// text shown on the device tabs.
#include <string>

#include "analysis/aliquot_types.h"

bool IsTLDevice(const TDeviceKey& key);   // Device 0
bool IsOslDevice(const TDeviceKey& key);  // 20..28 and 40..48

// Orders devices: Device; then for OSL Power, SampleTemp, the four time-base counts and
// PowerM; for TL Spacing and Ramp. <0, 0 or >0. EndTemp is never compared, so two TL
// records that differ only in their number of points are one device.
int CompareDeviceKeys(const TDeviceKey& a, const TDeviceKey& b);
inline bool SameDevice(const TDeviceKey& a, const TDeviceKey& b) {
    return CompareDeviceKeys(a, b) == 0;
}

// OSL measuring time in seconds and number of channels of the four time bases.
double OslMeasuringTime(const TDeviceKey& key);
int OslChannelCount(const TDeviceKey& key);

// "TL 5deg 5/s"; "OSL#1 90.2% @125 43.20s", "IRSL ..."; devices 40..48 read "MOSL#1 ..."
// ("MIRSL ..." for 48); any other device: empty (it never joins a list or a selection).
std::string DeviceText(const TDeviceKey& key);
