// Pelmora's entry on Windows: opens the window over a fresh form model and runs until it is
// closed.
#include <windows.h>

#include <commctrl.h>

#include "form/calculator_form.h"
#include "platform/regional_settings.h"
#include "win32/pelmora_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The manifest asks for common controls 6; they register their classes here.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    pelmora::form::CalculatorForm form(pelmora::platform::UserNumberFormat);
    pelmora::win32::PelmoraWindow window(form);
    if (!window.create(instance)) return 1;
    window.show(showCommand);
    return pelmora::win32::RunMessageLoop(window);
}
