// Starts a program on the X display and reports, in one line, how long it took until its
// first top-level window was mapped and until that window showed its background colour at
// (3, 3), and the program's peak memory by then:
//   startup_probe RRGGBB PROGRAM [ARGS...]  ->  "map_ms paint_ms peak_kib"
#include <sys/wait.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

long PeakKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_probe RRGGBB PROGRAM [ARGS...]\n");
        return 2;
    }
    const std::uint32_t background = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 16));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    xcb_window_t window = 0;
    while (window == 0) {
        xcb_generic_event_t* event = xcb_wait_for_event(connection);
        if (!event) return 1;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        }
        std::free(event);
    }
    const double mapped = MillisecondsSince(start);

    double painted = -1;
    while (painted < 0 && MillisecondsSince(start) < 10000) {
        auto* image = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 3, 3, 1, 1, ~0u), nullptr);
        if (image && xcb_get_image_data_length(image) >= 4) {
            std::uint32_t pixel = 0;
            const std::uint8_t* data = xcb_get_image_data(image);
            pixel = data[0] | data[1] << 8 | data[2] << 16;
            if (pixel == background) painted = MillisecondsSince(start);
        }
        std::free(image);
    }
    const long peak = PeakKib(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(connection);
    std::printf("%.1f %.1f %ld\n", mapped, painted, peak);
    return painted < 0 ? 1 : 0;
}
