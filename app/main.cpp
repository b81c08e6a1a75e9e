// Pelmora's entry: opens the window over a fresh form model and runs until it is closed.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QByteArray>
#include <QList>

#include "form/calculator_form.h"
#include "platform/regional_settings.h"
#include "ui/pelmora_window.h"

namespace {

// While the application starts, Qt's own messages are held back: when no display can be
// reached Qt reports it in several lines and then aborts. We say so in one line instead and
// exit with an error; after a good start the held messages are passed on as they were.
bool g_starting = true;
QList<QByteArray> g_heldMessages;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg && g_starting) {
        std::fputs(
            "pelmora: cannot open the window: no display could be reached "
            "(is DISPLAY or WAYLAND_DISPLAY set?)\n",
            stderr);
        std::_Exit(2);
    }
    const QByteArray line = message.toLocal8Bit() + '\n';
    if (g_starting) {
        g_heldMessages.append(line);
    } else {
        std::fputs(line.constData(), stderr);
    }
    if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(StartupMessageHandler);
    QApplication app(argc, argv);
    g_starting = false;
    for (const QByteArray& line : std::as_const(g_heldMessages))
        std::fputs(line.constData(), stderr);
    g_heldMessages.clear();

    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setApplicationVersion(QStringLiteral(PELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pelmora.Pelmora"));

    pelmora::ui::ApplyClassicLook(app);
    pelmora::form::CalculatorForm form(pelmora::platform::UserNumberFormat);
    pelmora::ui::PelmoraWindow window(form);
    window.show();
    return QApplication::exec();
}
