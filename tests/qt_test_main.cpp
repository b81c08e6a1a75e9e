// main for the window tests: one QApplication for every test, in the program's own look and icon,
// on the offscreen platform unless QT_QPA_PLATFORM names another.
#include <QApplication>

#include <gtest/gtest.h>

#include "app/app_icon.h"
#include "qt/pelmora_window.h"
#include "qt/qt_bulgarian.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelmora::qt::ApplyClassicLook(app);
    pelmora::qt::LoadQtBulgarian(app);  // as the program does
    QApplication::setWindowIcon(pelmora::app::PelmoraIcon());  // as the program does
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
