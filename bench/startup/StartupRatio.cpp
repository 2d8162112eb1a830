// startup_ratio: how long a program takes from its start until its first window is mapped
// on the X server, against a minimal Qt window, started alternately; prints the medians
// and their ratio.
//
//   startup_ratio [--runs N] [--verbose] PROGRAM YARDSTICK
//
// --verbose also prints every start's time, so that a median can be told from a spread.
//
// Needs an X server without a window manager (xvfb-run), so that the map request of a
// program's window reaches the root window as a MapNotify at once.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {
using Clock = std::chrono::steady_clock;

struct TServer {
    xcb_connection_t* Connection = nullptr;
    ~TServer() {
        if (Connection)
            xcb_disconnect(Connection);
    }
};

// Milliseconds from the start of program until one of its windows is mapped; -1 when none
// was within 20 s.
double TimeToWindow(xcb_connection_t* c, const char* program) {
    // Whatever is still queued belongs to an earlier run.
    while (xcb_generic_event_t* stale = xcb_poll_for_event(c))
        std::free(stale);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    double elapsed = -1;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (Clock::now() - start < std::chrono::seconds(20) && elapsed < 0) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
            !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect)
            elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::free(event);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
} // namespace

int main(int argc, char** argv) {
    int runs = 9;
    bool verbose = false;
    std::vector<const char*> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--verbose") == 0)
            verbose = true;
        else
            programs.push_back(argv[i]);
    }
    if (programs.size() != 2) {
        std::fprintf(stderr, "usage: startup_ratio [--runs N] [--verbose] PROGRAM YARDSTICK\n");
        return 2;
    }
    TServer server;
    server.Connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(server.Connection)) {
        std::fprintf(stderr, "startup_ratio: no X server (DISPLAY)\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(server.Connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(server.Connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(server.Connection);

    std::vector<double> times[2];
    // One start of each first, so that both find their libraries in the page cache.
    for (const char* program : programs)
        TimeToWindow(server.Connection, program);
    for (int run = 0; run < runs; ++run)
        for (int p = 0; p < 2; ++p) {
            const double ms = TimeToWindow(server.Connection, programs[p]);
            if (ms < 0) {
                std::fprintf(stderr, "startup_ratio: %s showed no window\n", programs[p]);
                return 1;
            }
            times[p].push_back(ms);
            if (verbose)
                std::printf("%s %.1f ms\n", programs[p], ms);
            usleep(100000);
        }
    const double program = Median(times[0]), yardstick = Median(times[1]);
    std::printf("start to window, median of %d: %s %.1f ms, %s %.1f ms, ratio %.2f\n", runs,
                programs[0], program, programs[1], yardstick, program / yardstick);
    return 0;
}
