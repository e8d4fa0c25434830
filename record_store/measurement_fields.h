#pragma once
// Names of the fields the maker's readers write, exactly as their schemas spell them.
namespace fields {

inline constexpr const char* kRun = "Run#";
inline constexpr const char* kDisk = "Disk#";
inline constexpr const char* kHole = "Hole#";
inline constexpr const char* kNatTL = "Nat TL";
inline constexpr const char* kTLRun = "TL run";
inline constexpr const char* kSingleAliquot = "Single aliquot";
inline constexpr const char* kShortShine = "Short shine";
inline constexpr const char* kBeforeIrrad = "Before irrad";
inline constexpr const char* kNormalization = "Normalization";
inline constexpr const char* kRamp = "Ramp";
inline constexpr const char* kTimeBase10 = "Time base 10";
inline constexpr const char* kTimeBase100 = "Time base 100";
inline constexpr const char* kTimeBase1000 = "Time base 1000";
inline constexpr const char* kTimeBase10000 = "Time base 10000";
inline constexpr const char* kSampleTempHi = "Sample temp hi";
inline constexpr const char* kSampleTemp = "Sample temp";
inline constexpr const char* kOslBgd = "OSL BGD";
inline constexpr const char* kBleachTime = "Bleach time";
inline constexpr const char* kBleachFilter = "Bleach filter";
inline constexpr const char* kGammaRate = "Gamma rate";
inline constexpr const char* kBetaRate = "Beta rate";
inline constexpr const char* kAlphaRate = "Alpha rate";
inline constexpr const char* kGammaTime = "Gamma time";
inline constexpr const char* kBetaTime = "Beta time";
inline constexpr const char* kAlphaTime = "Alpha time";
inline constexpr const char* kGammaUnit = "Gamma unit";
inline constexpr const char* kBetaUnit = "Beta unit";
inline constexpr const char* kAlphaUnit = "Alpha unit";
inline constexpr const char* kGammaSource = "Gamma source";
inline constexpr const char* kBetaSource = "Beta source";
inline constexpr const char* kAlphaSource = "Alpha source";
inline constexpr const char* kIrradDate = "Irrad date";
inline constexpr const char* kNormalizationFactor = "Normalization factor";
inline constexpr const char* kShift = "Shift";
inline constexpr const char* kRemark = "Remark";
inline constexpr const char* kNpt = "NPT";
inline constexpr const char* kSpacing = "Spacing";
inline constexpr const char* kDevNo = "Dev#";
inline constexpr const char* kMaxPoint = "Max point";
inline constexpr const char* kRawData = "Raw data";
inline constexpr const char* kSubtractedData = "Subtracted data";
inline constexpr const char* kSecond = "Second";
// SAD files
inline constexpr const char* kDeviceNum = "DeviceNum";
inline constexpr const char* kDeviceInfo = "DeviceInfo";
inline constexpr const char* kPower = "Power";
inline constexpr const char* kIrradiator = "Irradiator";
inline constexpr const char* kSource = "Source";
inline constexpr const char* kDoseRate = "Dose rate";
inline constexpr const char* kIrradiatingTime = "Irradiating time";
inline constexpr const char* kDoseRateUnit = "Dose rate unit";
inline constexpr const char* kPreheatTemperature = "Preheat temperature";
inline constexpr const char* kPreheatTime = "Preheat time";
inline constexpr const char* kReserved = "Reserved";
// Calculated fields
inline constexpr const char* kDevice = "Device";
inline constexpr const char* kInfo = "Info";
inline constexpr const char* kOslTime = "OSL time";
inline constexpr const char* kIrradiation = "Irradiation";
inline constexpr const char* kRunKind = "Run kind";
inline constexpr const char* kSingleMultiple = "SingleMultiple";
inline constexpr const char* kNorm = "Norm";
inline constexpr const char* kShortInfo = "ShortInfo";
inline constexpr const char* kMaxTemp = "MaxTemp";

}  // namespace fields
