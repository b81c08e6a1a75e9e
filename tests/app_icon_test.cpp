#include <string>

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include "app/app_icon.h"

namespace pelmora::app {
namespace {

void ExpectDrawnAtSize(const QString& path, int size) {
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(image.hasAlphaChannel());
}

class IconResource : public ::testing::TestWithParam<int> {};

TEST_P(IconResource, IsDrawnAtItsSize) {
    ExpectDrawnAtSize(IconResourcePath(GetParam()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(App, IconResource, ::testing::ValuesIn(kWindowIconSizes),
                         [](const auto& row) { return "Size" + std::to_string(row.param); });

// The files installed into the icon theme, every size.
class ThemeIcon : public ::testing::TestWithParam<int> {};

TEST_P(ThemeIcon, IsDrawnAtItsSize) {
    ExpectDrawnAtSize(
        QStringLiteral(PELMORA_ICON_DIR "/%1x%1/org.pelmora.Pelmora.png").arg(GetParam()),
        GetParam());
}

INSTANTIATE_TEST_SUITE_P(App, ThemeIcon, ::testing::ValuesIn(kIconSizes),
                         [](const auto& row) { return "Size" + std::to_string(row.param); });

// The small sizes are drawn pixel by pixel: a pixel is either fully there or not, and any
// half-transparent edge means they were scaled down from the large drawing and blur.
class PixelDrawnIcon : public ::testing::TestWithParam<int> {};

TEST_P(PixelDrawnIcon, HasCrispEdges) {
    const QImage image =
        QImage(IconResourcePath(GetParam())).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(image.isNull());
    int partial = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha != 0 && alpha != 255) ++partial;
        }
    }
    EXPECT_EQ(partial, 0);
}

INSTANTIATE_TEST_SUITE_P(App, PixelDrawnIcon, ::testing::Values(16, 24, 32),
                         [](const auto& row) { return "Size" + std::to_string(row.param); });

TEST(PelmoraIcon, OffersEveryWindowSize) {
    QList<QSize> expected;
    for (const int size : kWindowIconSizes)
        expected.append(QSize(size, size));
    EXPECT_EQ(PelmoraIcon().availableSizes(), expected);
}

}  // namespace
}  // namespace pelmora::app
