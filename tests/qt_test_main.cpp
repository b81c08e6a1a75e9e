// main for the window tests: one QApplication for every test, in the program's own look, on
// the offscreen platform unless QT_QPA_PLATFORM names another.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/pelmora_window.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelmora::ui::ApplyClassicLook(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
