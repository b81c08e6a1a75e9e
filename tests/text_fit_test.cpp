#include <optional>

#include <gtest/gtest.h>

#include "view/text_fit.h"

namespace pelmora::view {
namespace {

struct FitCase {
    const char* name;
    double fieldPoints;
    double widestFit;  // the text fits at this size and below
    std::optional<double> drawnAt;
};

const FitCase kCases[] = {
    {"FitsAtTheFieldsSize", 12, 12, 12},
    {"JustTooWideTakesTheNextHalfPoint", 12, 11.9, 11.5},
    {"TakesTheLargestStepThatFits", 12, 9.9, 9.5},
    {"FitsAtSevenPoints", 12, 7, 7},
    {"TooWideEvenAtSevenPoints", 12, 6.9, std::nullopt},
    {"FieldSizeBetweenStepsGoesToTheStepBelow", 10.8, 10.7, 10.5},
};

class FittingPointsRow : public ::testing::TestWithParam<FitCase> {};

TEST_P(FittingPointsRow, IsTheLargestHalfPointStepDownToSeven) {
    const FitCase& c = GetParam();
    double smallestAsked = c.fieldPoints;
    const auto drawnAt = FittingPoints(c.fieldPoints, [&](double points) {
        smallestAsked = std::min(smallestAsked, points);
        return points <= c.widestFit;
    });
    EXPECT_EQ(drawnAt, c.drawnAt);
    EXPECT_GE(smallestAsked, kSmallestFitPoints);
}

INSTANTIATE_TEST_SUITE_P(View, FittingPointsRow, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelmora::view
