#include "qt/qt_bulgarian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pelmora::qt {

bool LoadQtBulgarian(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);  // the application keeps it
    if (!translator->load(QStringLiteral("qtbase_bg"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace pelmora::qt
