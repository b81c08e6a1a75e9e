#include "qt/font_choice.h"

#include <algorithm>
#include <array>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

namespace pelmora::qt {

namespace {

// Faces drawn to Times New Roman's widths, so the window's captions fit as designed.
const std::array<QLatin1String, 4> kMetricCompatibleFaces = {
    QLatin1String("Times New Roman"),
    QLatin1String("Liberation Serif"),
    QLatin1String("Tinos"),
    QLatin1String("Thorndale AMT"),
};

constexpr qreal kMinimumPointSize = 6;
constexpr qreal kPointStep = 0.5;
constexpr int kMinimumPixelSize = 8;

// "Liberation Serif [1ASC]" names the family "Liberation Serif" of one foundry.
QStringView WithoutFoundry(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket < 0 ? QStringView(family) : QStringView(family).left(bracket);
}

bool Fits(const QFont& font, const QString& caption, QSize room) {
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(caption) <= room.width() && metrics.height() <= room.height();
}

}  // namespace

QString MetricCompatibleFamily(const QStringList& installedFamilies) {
    for (const QLatin1String face : kMetricCompatibleFaces) {
        for (const QString& installed : installedFamilies) {
            if (WithoutFoundry(installed).compare(face, Qt::CaseInsensitive) == 0)
                return QString(face);
        }
    }
    return {};
}

QString WindowFontFamily() {
    QString family = MetricCompatibleFamily(QFontDatabase::families(QFontDatabase::Cyrillic));
    if (!family.isEmpty()) return family;
    // "serif" is the font system's own name for its default serif; QFontInfo says which
    // installed family that is.
    QFont serif(QStringLiteral("serif"));
    serif.setStyleHint(QFont::Serif);
    return QFontInfo(serif).family();
}

QFont FitFont(QFont font, const QString& caption, QSize box, QMargins padding) {
    const QSize room = box.shrunkBy(padding);
    if (font.pointSizeF() > 0) {
        for (qreal size = font.pointSizeF();
             !Fits(font, caption, room) && size > kMinimumPointSize;) {
            size = std::max(size - kPointStep, kMinimumPointSize);
            font.setPointSizeF(size);
        }
    } else {
        for (int size = font.pixelSize(); !Fits(font, caption, room) && size > kMinimumPixelSize;) {
            size = std::max(size - 1, kMinimumPixelSize);
            font.setPixelSize(size);
        }
    }
    return font;
}

}  // namespace pelmora::qt
