#include <string>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include "qt/font_choice.h"

namespace pelmora::qt {
namespace {

struct FamilyCase {
    const char* name;
    QStringList installed;
    const char* expected;
};

const FamilyCase kFamilyCases[] = {
    // Preference order, whatever order the font system lists them in.
    {"TimesNewRomanFirst", {"Tinos", "Liberation Serif", "Times New Roman"}, "Times New Roman"},
    {"LiberationBeforeTinos", {"Tinos", "DejaVu Serif", "Liberation Serif"}, "Liberation Serif"},
    {"TinosBeforeThorndale", {"Thorndale AMT", "Tinos"}, "Tinos"},
    {"ThorndaleAlone", {"DejaVu Serif", "Thorndale AMT"}, "Thorndale AMT"},
    // How families are spelled in the list.
    {"FoundryInBrackets", {"Liberation Serif [1ASC]"}, "Liberation Serif"},
    {"OtherLetterCase", {"liberation serif"}, "Liberation Serif"},
    // Near misses are not the face.
    {"LongerNameIsAnotherFamily", {"Times New Roman Cyr", "Liberation Serif Bold"}, ""},
    {"SansFacesDoNotCount", {"Liberation Sans", "Arimo", "Arial"}, ""},
    {"OnlyOtherSerifs", {"DejaVu Serif", "Noto Serif"}, ""},
    {"NothingInstalled", {}, ""},
};

void PrintTo(const FamilyCase& c, std::ostream* os) {
    *os << c.name;
}

class MetricCompatible : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(MetricCompatible, PicksTheFirstInstalledFace) {
    const FamilyCase& c = GetParam();
    EXPECT_EQ(MetricCompatibleFamily(c.installed).toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Font, MetricCompatible, ::testing::ValuesIn(kFamilyCases),
                         [](const auto& row) { return std::string(row.param.name); });

// On this machine: the family is really installed, is the metric-compatible one when there
// is one, and a font asked for by it gets it, not a substitute.
TEST(WindowFontFamily, IsAnInstalledFamilyThatResolvesToItself) {
    const QString family = WindowFontFamily();
    ASSERT_FALSE(family.isEmpty());
    const QStringList installed = QFontDatabase::families(QFontDatabase::Cyrillic);
    const QString compatible = MetricCompatibleFamily(installed);
    if (!compatible.isEmpty()) {
        EXPECT_EQ(family.toStdString(), compatible.toStdString());
    }
    EXPECT_EQ(QFontInfo(QFont(family)).family().toStdString(), family.toStdString());
}

constexpr qreal kStep = 0.5;
constexpr qreal kFloor = 6;

enum class Outcome {
    Unchanged,  // the caption fits, or the font is already below the floor
    Shrinks,    // to the largest half-point step at which the caption fits
    Floor,      // nothing fits: the smallest size allowed
};

struct FitCase {
    const char* name;
    const char* caption;
    QSize box;
    QMargins padding;
    qreal pointSize;  // the font's size before fitting
    Outcome outcome;
};

const char* const kTitle = "Геометрия - изчисляване на прав кръгов конус";

// Boxes are the window's own rectangles in pixels at 96 dpi (twips / 15), or smaller.
const FitCase kFitCases[] = {
    {"ColumnCaptionFits", "So", {65, 25}, {}, 12, Outcome::Unchanged},
    {"EmptyCaptionFits", "", {65, 25}, {}, 12, Outcome::Unchanged},
    {"TitleInANarrowerLabel", kTitle, {250, 25}, {}, 12, Outcome::Shrinks},
    {"OptionBesideItsIndicator", "Вариант 1", {70, 25}, {18, 0, 0, 0}, 12, Outcome::Shrinks},
    {"ButtonInsideItsFrame", "Изчисли", {60, 25}, {6, 4, 6, 4}, 12, Outcome::Shrinks},
    {"LowBoxLimitsTheHeight", "R", {65, 12}, {}, 12, Outcome::Shrinks},
    {"NoRoomAtAll", "Изчисти", {4, 25}, {}, 12, Outcome::Floor},
    {"PaddingWiderThanTheBox", "L", {65, 25}, {40, 0, 40, 0}, 12, Outcome::Floor},
    {"TinyFontNeverGrows", "Изчисли", {4, 25}, {}, 5, Outcome::Unchanged},
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

bool FitsIn(const QFont& font, const QString& caption, QSize room) {
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(caption) <= room.width() && metrics.height() <= room.height();
}

class FitFontRow : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitFontRow, ShrinksNoMoreThanNeeded) {
    const FitCase& c = GetParam();
    const QString caption = QString::fromUtf8(c.caption);
    const QSize room = c.box.shrunkBy(c.padding);
    QFont font(WindowFontFamily());
    font.setPointSizeF(c.pointSize);
    font.setItalic(true);

    const QFont fitted = FitFont(font, caption, c.box, c.padding);

    EXPECT_EQ(fitted.family(), font.family());
    EXPECT_TRUE(fitted.italic());
    switch (c.outcome) {
        case Outcome::Unchanged:
            EXPECT_EQ(fitted.pointSizeF(), c.pointSize);
            break;
        case Outcome::Shrinks: {
            EXPECT_LT(fitted.pointSizeF(), c.pointSize);
            EXPECT_GT(fitted.pointSizeF(), kFloor);
            EXPECT_TRUE(FitsIn(fitted, caption, room)) << fitted.pointSizeF();
            QFont larger = fitted;
            larger.setPointSizeF(fitted.pointSizeF() + kStep);
            EXPECT_FALSE(FitsIn(larger, caption, room)) << "shrank to " << fitted.pointSizeF();
            break;
        }
        case Outcome::Floor:
            EXPECT_EQ(fitted.pointSizeF(), kFloor);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Font, FitFontRow, ::testing::ValuesIn(kFitCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FitFont, PixelSizedFontShrinksByPixels) {
    QFont font(WindowFontFamily());
    font.setPixelSize(16);
    const QString caption = QString::fromUtf8(kTitle);
    const QFont fitted = FitFont(font, caption, {250, 25});
    EXPECT_LT(fitted.pixelSize(), 16);
    EXPECT_GE(fitted.pixelSize(), 8);
    EXPECT_TRUE(FitsIn(fitted, caption, {250, 25}));
    QFont larger = fitted;
    larger.setPixelSize(fitted.pixelSize() + 1);
    EXPECT_FALSE(FitsIn(larger, caption, {250, 25}));
}

}  // namespace
}  // namespace pelmora::qt
