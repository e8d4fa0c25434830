#include "record_store/views.h"

#include <cctype>

#include "record_store/file_names.h"
#include "record_store/measurement_fields.h"

namespace {

TFieldDesc Data(const char* name, TFieldType type, int size = 0) {
    return TFieldDesc{name, type, size, false};
}
TFieldDesc Calc(const char* name, TFieldType type, int size = 0) {
    return TFieldDesc{name, type, size, true};
}

constexpr TFieldType I = TFieldType::Integer;
constexpr TFieldType W = TFieldType::Word;
constexpr TFieldType B = TFieldType::Boolean;
constexpr TFieldType F = TFieldType::Float;
constexpr TFieldType S = TFieldType::String;
constexpr TFieldType D = TFieldType::Date;
constexpr TFieldType Y = TFieldType::Bytes;

void AddTimeBases(std::vector<TFieldDesc>& list) {
    using namespace fields;
    for (const char* name :
         {kTimeBase10, kTimeBase100, kTimeBase1000, kTimeBase10000, kSampleTempHi}) {
        list.push_back(Data(name, W));
    }
}

// The gamma, beta and alpha rate, time, unit and source fields and the irradiation date.
void AddIrradiation(std::vector<TFieldDesc>& list) {
    using namespace fields;
    for (const char* name :
         {kGammaRate, kBetaRate, kAlphaRate, kGammaTime, kBetaTime, kAlphaTime}) {
        list.push_back(Data(name, F));
    }
    for (const char* name :
         {kGammaUnit, kBetaUnit, kAlphaUnit, kGammaSource, kBetaSource, kAlphaSource}) {
        list.push_back(Data(name, S, 8));
    }
    list.push_back(Data(kIrradDate, D));
}

void AddCalculated(std::vector<TFieldDesc>& list, bool withNormAndMaxTemp) {
    using namespace fields;
    list.push_back(Calc(kDevice, S, 8));
    list.push_back(Calc(kInfo, S, 40));
    list.push_back(Calc(kOslTime, F));
    list.push_back(Calc(kIrradiation, S, 40));
    list.push_back(Calc(kRunKind, S, 5));
    list.push_back(Calc(kSingleMultiple, S, 20));
    if (withNormAndMaxTemp) list.push_back(Calc(kNorm, S, 20));
    list.push_back(Calc(kShortInfo, S, 20));
    if (withNormAndMaxTemp) list.push_back(Calc(kMaxTemp, I));
}

std::vector<TFieldDesc> MakeDatFields(bool singleGrain) {
    using namespace fields;
    std::vector<TFieldDesc> list = {Data(kRun, I)};
    if (singleGrain) list.push_back(Data(kHole, I));
    list.push_back(Data(kDisk, I));
    for (const char* name : {kNatTL, kTLRun, kSingleAliquot, kBeforeIrrad, kNormalization}) {
        list.push_back(Data(name, B));
    }
    list.push_back(Data(kRamp, F));
    AddTimeBases(list);
    if (singleGrain) {
        list.push_back(Data(kOslBgd, W));
        list.push_back(Data(kSampleTemp, W));
    } else {
        list.push_back(Data(kSampleTemp, W));
        list.push_back(Data(kOslBgd, W));
    }
    list.push_back(Data(kBleachTime, F));
    list.push_back(Data(kBleachFilter, S, 8));
    AddIrradiation(list);
    if (!singleGrain) {
        list.push_back(Data(kNormalizationFactor, F));
        list.push_back(Data(kShift, F));
    }
    list.push_back(Data(kRemark, S, 42));
    for (const char* name : {kNpt, kSpacing, kDevNo, kMaxPoint}) list.push_back(Data(name, I));
    list.push_back(Data(kRawData, Y, 800));
    if (!singleGrain) list.push_back(Data(kSubtractedData, Y, 784));
    list.push_back(Data(kSecond, B));
    AddCalculated(list, true);
    return list;
}

std::vector<TFieldDesc> MakeSadFields() {
    using namespace fields;
    std::vector<TFieldDesc> list = {Data(kRun, I), Data(kDisk, I)};
    for (const char* name : {kNatTL, kTLRun, kBeforeIrrad, kNormalization, kShortShine}) {
        list.push_back(Data(name, B));
    }
    list.push_back(Data(kDeviceNum, I));
    list.push_back(Data(kDeviceInfo, S, 9));
    list.push_back(Data(kPower, W));
    AddTimeBases(list);
    list.push_back(Data(kOslBgd, W));
    list.push_back(Data(kSampleTemp, W));
    list.push_back(Data(kIrradiator, S, 1));
    list.push_back(Data(kSource, S, 8));
    list.push_back(Data(kDoseRate, F));
    list.push_back(Data(kIrradiatingTime, F));
    list.push_back(Data(kDoseRateUnit, S, 8));
    list.push_back(Data(kIrradDate, D));
    list.push_back(Data(kPreheatTemperature, I));
    list.push_back(Data(kPreheatTime, I));
    list.push_back(Data(kRemark, S, 42));
    for (const char* name : {kNpt, kSpacing, kDevNo, kMaxPoint}) list.push_back(Data(name, I));
    list.push_back(Data(kRawData, Y, 40));
    list.push_back(Data(kSubtractedData, Y, 40));
    list.push_back(Data(kReserved, S, 50));
    AddCalculated(list, false);
    return list;
}

std::string UpperExtension(const std::string& path) {
    std::string ext = FileExtension(path);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

const std::vector<TFieldDesc>& DatViewFields() {
    static const std::vector<TFieldDesc> list = MakeDatFields(false);
    return list;
}

const std::vector<TFieldDesc>& SadViewFields() {
    static const std::vector<TFieldDesc> list = MakeSadFields();
    return list;
}

const std::vector<TFieldDesc>& DasViewFields() {
    static const std::vector<TFieldDesc> list = MakeDatFields(true);
    return list;
}

const std::vector<TFieldDesc>& ViewFields(TViewKind kind) {
    static const std::vector<TFieldDesc> none;
    switch (kind) {
        case TViewKind::Dat:
            return DatViewFields();
        case TViewKind::Sad:
            return SadViewFields();
        case TViewKind::Das:
            return DasViewFields();
        case TViewKind::General:
            break;
    }
    return none;
}

TViewKind ViewKindForFile(const std::string& recordPath) {
    const std::string ext = UpperExtension(recordPath);
    if (ext == ".DAT") return TViewKind::Dat;
    if (ext == ".SAD") return TViewKind::Sad;
    if (ext == ".DAS") return TViewKind::Das;
    return TViewKind::General;
}

void ConfigureView(TBinDataSet& store, TViewKind kind) {
    store.SetFieldDescs(ViewFields(kind));
}
