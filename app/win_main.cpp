// Pelmora's entry on Windows: opens the window over a fresh form model and runs until it is
// closed.
#include <windows.h>

#include <commctrl.h>

#include "form/calculator_form.h"
#include "platform/regional_settings.h"
#include "win32/pelmora_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Held while the program runs: its installer and uninstaller look for it, and ask its
    // windows to close, before they replace or remove the program.
    const HANDLE running = CreateMutexW(nullptr, FALSE, L"Global\\Pelmora.Running");

    // The manifest asks for common controls 6; they register their classes here.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    pelmora::form::CalculatorForm form(pelmora::platform::UserNumberFormat);
    pelmora::win32::PelmoraWindow window(form);
    int status = 1;
    if (window.create(instance)) {
        window.show(showCommand);
        status = pelmora::win32::RunMessageLoop(window);
    }
    if (running) CloseHandle(running);
    return status;
}
