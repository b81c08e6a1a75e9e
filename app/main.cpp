// Pelmora's entry: opens the window over a fresh form model and runs until it is closed.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>

#include "app/app_icon.h"
#include "app/startup_report.h"
#include "form/calculator_form.h"
#include "platform/regional_settings.h"
#include "qt/pelmora_window.h"
#include "qt/qt_bulgarian.h"

namespace {

// While the application starts, Qt's messages are held back. When Qt cannot open its window
// system it sends a fatal message and would abort (a core dump for a missing display); we
// print what went wrong instead, our line first, and exit with status 2.
std::vector<std::string> g_startupMessages;

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    g_startupMessages.push_back(
        qFormatLogMessage(type, context, message).toLocal8Bit().toStdString());
    if (type != QtFatalMsg) return;
    const pelmora::app::StartupFailure failure{
        EnvironmentText("DISPLAY"), EnvironmentText("WAYLAND_DISPLAY"),
        EnvironmentText("QT_QPA_PLATFORM"), g_startupMessages};
    for (const std::string& line : pelmora::app::StartupFailureReport(failure)) {
        std::fputs(line.c_str(), stderr);
        std::fputc('\n', stderr);
    }
    std::_Exit(2);
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    // Started: Qt's own handling from here on, and the held messages passed on as they came.
    qInstallMessageHandler(nullptr);
    for (const std::string& line : std::as_const(g_startupMessages)) {
        std::fputs(line.c_str(), stderr);
        std::fputc('\n', stderr);
    }
    g_startupMessages.clear();
    pelmora::qt::LoadQtBulgarian(app);  // Qt's menus and buttons in the interface's language

    // One name ties the window to its desktop entry: Qt makes the application name the X11
    // window class (WM_CLASS) and the desktop file name the Wayland app id, and the entry's
    // StartupWMClass says the same. People see the display name.
    const QString applicationId = QStringLiteral("org.pelmora.Pelmora");
    QApplication::setApplicationName(applicationId);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Pelmora"));
    QApplication::setApplicationVersion(QStringLiteral(PELMORA_VERSION));
    QGuiApplication::setDesktopFileName(applicationId);
    QApplication::setWindowIcon(pelmora::app::PelmoraIcon());

    pelmora::qt::ApplyClassicLook(app);
    pelmora::form::CalculatorForm form(pelmora::platform::UserNumberFormat);
    pelmora::qt::PelmoraWindow window(form);
    window.show();
    return QApplication::exec();
}
