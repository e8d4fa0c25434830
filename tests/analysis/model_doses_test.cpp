// The doses a dose model combines after a Range or All run: accepted results with a defined
// dose only; criteria-rejected aliquots counted (and kept for the plot when they have a
// dose), results without a defined dose counted; a refused dose named by its aliquot.
#include <gtest/gtest.h>

#include "analysis/model_doses.h"

namespace {

TPlateauElement Element(int index, double value, double error, uint8_t state,
                        bool rejected = false) {
    TPlateauElement e;
    e.Index = index;
    e.X = index;
    e.Value = value;
    e.Error = error;
    e.State = state;
    e.Rejected = rejected;
    return e;
}

}  // namespace

TEST(ModelDoses, AcceptedDefinedDosesOnly) {
    const TPlateauArray plateau = {
        Element(1, 40.0, 2.0, kPlateauValid),       Element(2, 44.0, 3.0, kPlateauValid),
        Element(3, 50.0, 4.0, kPlateauWarning),      // no defined dose
        Element(4, 0.0, 0.0, kPlateauFailed),        // failed fit
        Element(5, 60.0, 5.0, kPlateauValid, true),  // fails a criterion
        Element(6, 0.0, 0.0, kPlateauFailed, true),  // fails a criterion and the fit
        Element(7, 38.0, 1.5, kPlateauValid),
    };
    const TModelDoses doses = CollectModelDoses(plateau);
    ASSERT_EQ(doses.Used.size(), 3u);
    EXPECT_EQ(doses.UsedIndex, (std::vector<int32_t>{1, 2, 7}));
    EXPECT_EQ(doses.Used[2].De, 38.0);
    EXPECT_EQ(doses.Used[2].DeError, 1.5);
    EXPECT_EQ(doses.RejectedCount, 2);
    ASSERT_EQ(doses.Rejected.size(), 1u);  // only the rejected one with a dose is drawn
    EXPECT_EQ(doses.Rejected[0].De, 60.0);
    EXPECT_EQ(doses.FailedCount, 2);
    EXPECT_EQ(ModelDosesSummary(doses),
              "3 aliquots used; excluded: 2 rejected by the criteria, 2 without a defined dose");
}

TEST(ModelDoses, SummaryAndNamesByKind) {
    TPlateauElement grain = Element(4, 10.0, 1.0, kPlateauValid);
    grain.GrainDisk = 1;
    grain.GrainHole = 37;
    const struct {
        const char* name;
        TPlateauArray plateau;
        std::string summary;
        std::string first;
    } cases[] = {
        {"aliquots, none excluded",
         {Element(2, 10, 1, kPlateauValid), Element(3, 11, 1, kPlateauValid)},
         "2 aliquots used",
         "aliquot 2"},
        {"one grain, one failed",
         {grain, Element(5, 0, 0, kPlateauFailed)},
         "1 grain used; excluded: 1 without a defined dose",
         "grain 4"},
        {"rejected only",
         {Element(1, 10, 1, kPlateauValid, true)},
         "0 aliquots used; excluded: 1 rejected by the criteria",
         "aliquot ?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TModelDoses doses = CollectModelDoses(c.plateau);
        EXPECT_EQ(ModelDosesSummary(doses), c.summary);
        EXPECT_EQ(ModelDoseName(doses, 0), c.first);
    }
}

TEST(ModelDoses, RefusalsNameTheAliquot) {
    // A negative dose with a defined error (a dose below the natural signal's intercept) is
    // refused by the log-scale models, named by its aliquot, and taken by the weighted mean.
    const TPlateauArray plateau = {Element(3, 10.0, 1.0, kPlateauValid),
                                   Element(8, -2.0, 1.0, kPlateauValid),
                                   Element(9, 12.0, 1.0, kPlateauValid)};
    const TModelDoses doses = CollectModelDoses(plateau);
    std::string message;
    TDoseModelOptions options;
    options.Kind = TDoseModelKind::Central;
    EXPECT_EQ(FitModelDoses(doses, options, message).Code, TDoseModelCode::NonPositiveDose);
    EXPECT_EQ(message.rfind("aliquot 8: ", 0), 0u) << message;
    options.Kind = TDoseModelKind::WeightedMean;
    const TDoseModelResult mean = FitModelDoses(doses, options, message);
    EXPECT_EQ(mean.Code, TDoseModelCode::Ok);
    EXPECT_TRUE(message.empty());
    EXPECT_NEAR(mean.De, 20.0 / 3.0, 1e-12);  // equal errors: the plain mean

    const TModelDoses one = CollectModelDoses(
        {Element(1, 10.0, 1.0, kPlateauValid), Element(2, 10.0, 1.0, kPlateauValid, true)});
    EXPECT_EQ(FitModelDoses(one, options, message).Code, TDoseModelCode::TooFewValues);
    EXPECT_NE(message.find("(1 aliquot used; excluded: 1 rejected by the criteria)"),
              std::string::npos)
        << message;
}
