#include "analysis/device_key.h"

#include "platform/number_text.h"

namespace {

int Sign(long long d) {
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

std::string Fixed(double x, int decimals) {
    return NumberFixed(x, decimals);
}

}  // namespace

bool IsTLDevice(const TDeviceKey& key) {
    return key.Device == 0;
}

bool IsOslDevice(const TDeviceKey& key) {
    return (key.Device >= 20 && key.Device <= 28) || (key.Device >= 40 && key.Device <= 48);
}

int CompareDeviceKeys(const TDeviceKey& a, const TDeviceKey& b) {
    if (a.Device != b.Device) return Sign(static_cast<long long>(a.Device) - b.Device);
    if (a.Device == 0) {
        if (a.Spacing != b.Spacing) return Sign(static_cast<long long>(a.Spacing) - b.Spacing);
        return Sign(static_cast<long long>(a.Ramp) - b.Ramp);
    }
    if (a.Power != b.Power) return Sign(static_cast<long long>(a.Power) - b.Power);
    if (a.SampleTemp != b.SampleTemp) {
        return Sign(static_cast<long long>(a.SampleTemp) - b.SampleTemp);
    }
    for (int i = 0; i < 4; ++i) {
        if (a.TimeBase[i] != b.TimeBase[i]) return a.TimeBase[i] < b.TimeBase[i] ? -1 : 1;
    }
    return Sign(static_cast<long long>(a.PowerM) - b.PowerM);
}

double OslMeasuringTime(const TDeviceKey& key) {
    return key.TimeBase[0] * 0.01 + key.TimeBase[1] * 0.1 + key.TimeBase[2] * 1.0 +
           key.TimeBase[3] * 10.0;
}

int OslChannelCount(const TDeviceKey& key) {
    return key.TimeBase[0] + key.TimeBase[1] + key.TimeBase[2] + key.TimeBase[3];
}

std::string DeviceText(const TDeviceKey& key) {
    if (IsTLDevice(key)) {
        return "TL " + std::to_string(key.Spacing) + "deg " + std::to_string(key.Ramp) + "/s";
    }
    if (!IsOslDevice(key)) return {};
    const int unit = key.Device >= 40 ? key.Device - 20 : key.Device;  // 40..48 as 20..28
    std::string text = unit == 28 ? "IRSL" : "OSL#" + std::to_string(unit - 20);
    text += " " + Fixed(key.Power / 2.55, 1) + "% @" + std::to_string(key.SampleTemp) + " " +
            Fixed(OslMeasuringTime(key), 2) + "s";
    if (key.PowerM > 0 || key.Device >= 40) text = "M" + text;
    return text;
}
