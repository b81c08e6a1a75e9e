// Times the start of Windows programs, under Wine or Windows: from CreateProcess to the
// program's window being shown and in the foreground ("mapped"), and to that window showing
// its background colour at (3, 3) of its client area on the screen ("painted"); and the
// process's peak working set at that moment. The programs run alternately, RUNS times
// each; each is closed with WM_CLOSE before the next starts. Prints every run, then the
// median and the least of each figure (the least shows best what a quiet machine does):
//   startup_probe_win32 RUNS RRGGBB PROGRAM.exe [PROGRAM.exe...]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

struct Run {
    double mappedMs = -1, paintedMs = -1;
    double peakKib = -1;
};

std::string Format(double value) {
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1)
            .ptr;
    return std::string(text.data(), end);
}

std::string Format(int value) {
    std::array<char, 16> text{};
    return std::string(text.data(),
                       std::to_chars(text.data(), text.data() + text.size(), value).ptr);
}

std::string Narrow(std::wstring_view text) {
    std::string narrow;
    for (const wchar_t c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

// The program's window once it is shown and active: the foreground window, when it belongs
// to the process. Under Wine every question about another process's windows is a round
// trip to the wineserver, and a probe that walked all windows every millisecond would slow
// the program it measures; this asks one question each time, and more only when the
// answer changes. (A WinEvent hook for EVENT_OBJECT_SHOW would need no asking at all, but
// Wine 8 does not report another process's windows to it.)
HWND ShownWindowOf(DWORD processId, HWND& lastForeground) {
    const HWND foreground = GetForegroundWindow();
    if (foreground == lastForeground) return nullptr;
    lastForeground = foreground;
    DWORD owner = 0;
    GetWindowThreadProcessId(foreground, &owner);
    return owner == processId && IsWindowVisible(foreground) ? foreground : nullptr;
}

Run Measure(const std::wstring& program, COLORREF background) {
    Run run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return run;
    }
    HWND window = nullptr;
    HWND lastForeground = GetForegroundWindow();
    while (!(window = ShownWindowOf(process.dwProcessId, lastForeground)) && elapsed() < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (window) {
        run.mappedMs = elapsed();
        POINT corner{3, 3};
        ClientToScreen(window, &corner);
        const HDC screen = GetDC(nullptr);
        while (elapsed() < 10000) {
            if (GetPixel(screen, corner.x, corner.y) == background) {
                run.paintedMs = elapsed();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ReleaseDC(nullptr, screen);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (K32GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
            run.peakKib = static_cast<double>(memory.PeakWorkingSetSize) / 1024.0;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

double Least(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n == 0) return -1;
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fputs("usage: startup_probe_win32 RUNS RRGGBB PROGRAM.exe [PROGRAM.exe...]\n", stderr);
        return 2;
    }
    const std::string runsText = Narrow(argv[1]);
    const std::string colourText = Narrow(argv[2]);
    int runs = 0;
    unsigned colour = 0;
    std::from_chars(runsText.data(), runsText.data() + runsText.size(), runs);
    std::from_chars(colourText.data(), colourText.data() + colourText.size(), colour, 16);
    const COLORREF background = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    std::vector<std::wstring> programs(argv + 3, argv + argc);
    std::vector<std::vector<Run>> results(programs.size());
    bool allPainted = true;
    for (int round = 0; round < runs; ++round) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const Run run = Measure(programs[p], background);
            allPainted &= run.paintedMs >= 0;
            results[p].push_back(run);
            std::printf("run %s %s: mapped %s ms, painted %s ms, peak %s KiB\n",
                        Format(round + 1).c_str(), Narrow(programs[p]).c_str(),
                        Format(run.mappedMs).c_str(), Format(run.paintedMs).c_str(),
                        Format(run.peakKib).c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    std::printf("%s alternating runs each:\n", Format(runs).c_str());
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double> mapped, painted, peak;
        for (const Run& run : results[p]) {
            mapped.push_back(run.mappedMs);
            painted.push_back(run.paintedMs);
            peak.push_back(run.peakKib);
        }
        std::printf(
            "%s\n  median: mapped %s ms, painted %s ms, peak %s KiB\n"
            "  least:  mapped %s ms, painted %s ms, peak %s KiB\n",
            Narrow(programs[p]).c_str(), Format(Median(mapped)).c_str(),
            Format(Median(painted)).c_str(), Format(Median(peak)).c_str(),
            Format(Least(mapped)).c_str(), Format(Least(painted)).c_str(),
            Format(Least(peak)).c_str());
    }
    return allPainted ? 0 : 1;
}
