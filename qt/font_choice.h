#pragma once

#include <QFont>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QStringList>

namespace pelmora::qt {

// The first of `installedFamilies` (as QFontDatabase::families() lists them; a foundry in
// brackets, "Liberation Serif [1ASC]", and any letter case allowed) that has Times New
// Roman's metrics, in this order: Times New Roman, Liberation Serif, Tinos, Thorndale AMT.
// Gives that face's own name, without the foundry; empty when none of them is installed.
QString MetricCompatibleFamily(const QStringList& installedFamilies);

// The family the window's text is set in: the first metric-compatible face installed with
// Cyrillic letters, else the family the font system gives for a generic serif. Looks at the
// installed families, not at Qt's substitutes. Needs a QGuiApplication.
QString WindowFontFamily();

// `font`, made smaller until `caption` fits in `box` less the `padding` the control keeps for
// itself (an option button's indicator, a push button's frame): the caption's advance within
// the width, the font's line height within the height. Shrinks in steps of half a point (a
// pixel for a font sized in pixels) and never below 6 points (8 pixels), where a caption
// that still does not fit is cut. A font that fits comes back unchanged; only the size ever
// changes. Measured at the primary screen's logical resolution. Needs a QGuiApplication.
QFont FitFont(QFont font, const QString& caption, QSize box, QMargins padding = {});

}  // namespace pelmora::qt
