// Times a program from its start to its first top-level window mapped on the X display:
//   startup_map_timer RUNS PROGRAM [ARGUMENT...]
// Prints one line: the median wall time and the median CPU time the program had used by
// then, in milliseconds, and the title of that window (so a message box that came first
// would show). Each run ends the program before the next one starts. The X server is the
// one DISPLAY names; nothing else should be mapping windows on it.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int timeoutMs = 120'000;

struct Run {
    double wallMs;
    double cpuMs;
    std::string title;
};

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "startup_map_timer: %s\n", why.c_str());
    std::exit(1);
}

// User and system time of a process so far, from /proc/PID/stat (fields 14 and 15).
double cpuMs(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; the fields after it are plain numbers.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && rest >> field; ++number)
        if (number >= 14)
            ticks += std::stod(field);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string title(xcb_connection_t* x, xcb_window_t window)
{
    const char name[] = "_NET_WM_NAME";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, sizeof name - 1, name), nullptr),
        &std::free);
    const xcb_atom_t property = atom && atom->atom ? atom->atom : xcb_atom_t { XCB_ATOM_WM_NAME };
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(x,
            xcb_get_property(x, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
        &std::free);
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

Run timeOneStart(xcb_connection_t* x, xcb_window_t root, char** command)
{
    while (xcb_generic_event_t* stale = xcb_poll_for_event(x))
        std::free(stale);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, command[0], nullptr, nullptr, command, environ) != 0)
        fail(std::string("cannot start ") + command[0]);
    std::optional<Run> run;
    while (!run) {
        if (Clock::now() - start > std::chrono::milliseconds(timeoutMs))
            fail("no window within the time-out");
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            fail("the program ended before it mapped a window");
        pollfd ready { xcb_get_file_descriptor(x), POLLIN, 0 };
        poll(&ready, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && !run) {
                auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (map->event == root && !map->override_redirect) {
                    const double wall
                        = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                    run = Run { wall, cpuMs(pid), title(x, map->window) };
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(x))
            fail("lost the X connection");
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return *run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || std::atoi(argv[1]) < 1) {
        std::fputs("usage: startup_map_timer RUNS PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(x))
        fail("cannot open the display");
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    std::vector<double> wall, cpu;
    std::string shown;
    for (int i = std::atoi(argv[1]); i > 0; --i) {
        const Run run = timeOneStart(x, root, argv + 2);
        wall.push_back(run.wallMs);
        cpu.push_back(run.cpuMs);
        shown = run.title;
    }
    std::printf("%.1f %.0f %s\n", median(wall), median(cpu), shown.c_str());
    xcb_disconnect(x);
    return 0;
}
