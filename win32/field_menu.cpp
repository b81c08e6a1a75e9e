#include "win32/field_menu.h"

#include <string>

#include "view/copy_text.h"
#include "win32/utf16.h"

namespace pelmora::win32 {
namespace {

// An entry of the system's edit menu: its command, which is also the message that carries
// it out, the command Windows' own menu gives it where that differs, and its Bulgarian text
// for a system whose menu cannot be read.
struct EditEntry {
    UINT command;
    UINT systemCommand;
    const wchar_t* bulgarian;
    bool separatorAfter;
};
constexpr EditEntry kEditEntries[] = {
    {EM_UNDO, WM_UNDO, L"&Отмени", true},   {WM_CUT, WM_CUT, L"&Изрежи", false},
    {WM_COPY, WM_COPY, L"&Копирай", false}, {WM_PASTE, WM_PASTE, L"&Постави", false},
    {WM_CLEAR, WM_CLEAR, L"Из&трий", true}, {EM_SETSEL, EM_SETSEL, L"&Избери всичко", true},
};

// The system's edit menu, whose texts follow Windows' language: resource 1 of user32 on
// Windows, "EDITMENU" under Wine; nullptr where neither is found. The caller destroys it.
HMENU LoadSystemEditMenu() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    const HMENU menu = LoadMenuW(user32, MAKEINTRESOURCEW(1));
    return menu ? menu : LoadMenuW(user32, L"EDITMENU");
}

std::wstring EntryText(HMENU system, const EditEntry& entry) {
    for (const UINT command : {entry.systemCommand, entry.command}) {
        wchar_t text[128] = {};
        if (system && GetMenuStringW(system, command, text, 128, MF_BYCOMMAND) > 0) return text;
    }
    return entry.bulgarian;
}

// Whether the system's menu would offer `command` on `edit` now.
bool Enabled(HWND edit, UINT command) {
    const bool writable = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) == 0;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool selection = start != end;
    switch (command) {
        case EM_UNDO:
            return writable && SendMessageW(edit, EM_CANUNDO, 0, 0);
        case WM_CUT:
        case WM_CLEAR:
            return writable && selection;
        case WM_COPY:
            return selection;
        case WM_PASTE:
            return writable && IsClipboardFormatAvailable(CF_UNICODETEXT);
        case EM_SETSEL: {
            const auto length = static_cast<DWORD>(GetWindowTextLengthW(edit));
            return length > 0 && (start != 0 || end != length);
        }
        default:
            return false;
    }
}

}  // namespace

HMENU CreateFieldMenu(HWND edit, bool computed) {
    const HMENU menu = CreatePopupMenu();
    if (!computed) {
        const HMENU system = LoadSystemEditMenu();
        for (const EditEntry& entry : kEditEntries) {
            const UINT state = Enabled(edit, entry.command) ? MF_ENABLED : MF_GRAYED;
            AppendMenuW(menu, MF_STRING | state, entry.command, EntryText(system, entry).c_str());
            if (entry.separatorAfter) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        }
        if (system) DestroyMenu(system);
    }
    AppendMenuW(menu, MF_STRING, kCopyFieldCommand, ToUtf16(view::kCopyCaption).c_str());
    return menu;
}

bool RunEditCommand(HWND edit, UINT command) {
    for (const EditEntry& entry : kEditEntries) {
        if (entry.command != command) continue;
        // Select All is EM_SETSEL over the whole text; the others take no arguments.
        SendMessageW(edit, command, 0, command == EM_SETSEL ? -1 : 0);
        return true;
    }
    return false;
}

}  // namespace pelmora::win32
