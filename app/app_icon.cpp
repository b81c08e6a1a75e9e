#include "app/app_icon.h"

#include <QIcon>
#include <QString>

namespace pelmora::app {

QString IconResourcePath(int size) {
    return QStringLiteral(":/icons/%1x%1/org.pelmora.Pelmora.png").arg(size);
}

QIcon PelmoraIcon() {
    QIcon icon;
    for (const int size : kWindowIconSizes)
        icon.addFile(IconResourcePath(size), QSize(size, size));
    return icon;
}

}  // namespace pelmora::app
