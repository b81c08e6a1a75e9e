// Pelmora's entry: opens the window over a fresh form model and runs until it is closed;
// --help and --version answer in the terminal without a window.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
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
// print our line naming the cause, then Qt's lines, and exit with status 2.
std::vector<std::string> g_startupMessages;

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
}

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    g_startupMessages.push_back(
        qFormatLogMessage(type, context, message).toLocal8Bit().toStdString());
    if (type != QtFatalMsg) return;
    PrintLine(pelmora::app::StartupFailureSummary({EnvironmentText("DISPLAY"),
                                                   EnvironmentText("WAYLAND_DISPLAY"),
                                                   EnvironmentText("QT_QPA_PLATFORM")}));
    for (const std::string& line : g_startupMessages)
        PrintLine(line);
    std::_Exit(2);
}

}  // namespace

// What a terminal user may ask for, answered before Qt starts: no window, no display needed.
constexpr const char* kHelp =
    "Употреба: pelmora [--help | --version]\n"
    "\n"
    "Pelmora изчислява прав кръгов конус. От радиуса на основата R, образувателната L,\n"
    "околната повърхнина So и пълната повърхнина Sp изберете двете известни, въведете ги и\n"
    "натиснете «Изчисли»: програмата намира и четирите, с по три десетични знака.\n"
    "\n"
    "  --help     показва този текст и излиза\n"
    "  --version  показва версията и излиза\n"
    "\n"
    "Останалите аргументи се предават на Qt (например -platform offscreen).\n";

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") return std::fputs(kHelp, stdout) < 0 ? 1 : 0;
        if (argument == "--version") return std::puts("Pelmora " PELMORA_VERSION) < 0 ? 1 : 0;
    }

    qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    // Started: Qt's own handling from here on, and the held messages passed on as they came.
    qInstallMessageHandler(nullptr);
    for (const std::string& line : std::as_const(g_startupMessages))
        PrintLine(line);
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
