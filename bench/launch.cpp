// kx-bench-launch [--settle S] [--idle S] [--timeout S] -- PROGRAM [ARGS...]
//
// Starts PROGRAM on the X display of $DISPLAY and times from the launch until the program's
// first top-level window is mapped. The X server tells us of the map as it happens (a
// MapNotify on the root window), so the figure needs no polling and has no polling step.
// Then, optionally, waits --settle seconds and measures the program at rest for --idle
// seconds. Prints, one per line:
//   mapped_ms N           launch to mapped window
//   idle_cpu_ms N         utime + stime over the idle stretch (/proc/PID/stat, clock ticks)
//   idle_cpu_exact_ms N   time on a CPU over the idle stretch, every thread (schedstat)
//   idle_wakeups N        times a thread of it woke up (context switches) over the stretch
//   vmhwm_kb N            peak resident memory (/proc/PID/status VmHWM) at the end
// and ends the program.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void sleepSeconds(double s)
{
    timespec ts{};
    ts.tv_sec = time_t(s);
    ts.tv_nsec = long((s - double(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// The _NET_WM_PID of a window, or -1 when it has none.
long windowPid(Display *display, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && items == 1)
            pid = long(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    return pid;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Usage
{
    long long ticks = 0;    // utime + stime of the process
    long long cpuNs = 0;    // schedstat, summed over the threads alive
    long long switches = 0; // voluntary + involuntary, summed over the threads alive
};

Usage usageOf(pid_t pid)
{
    Usage u;
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(stat.substr(close + 2));
        std::string f;
        // After the command: state is field 3; utime and stime are fields 14 and 15.
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14 || i == 15)
                u.ticks += std::atoll(f.c_str());
        }
    }
    const std::string taskDir = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *dir = opendir(taskDir.c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string task = taskDir + "/" + entry->d_name;
            u.cpuNs += std::atoll(readFile(task + "/schedstat").c_str());
            std::istringstream status(readFile(task + "/status"));
            std::string line;
            while (std::getline(status, line)) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                    line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                    u.switches += std::atoll(line.substr(line.find(':') + 1).c_str());
            }
        }
        closedir(dir);
    }
    return u;
}

long long vmHwmKb(pid_t pid)
{
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atoll(line.substr(6).c_str());
    }
    return -1;
}

int usage()
{
    std::fprintf(stderr, "usage: kx-bench-launch [--settle S] [--idle S] [--timeout S] -- PROGRAM "
                         "[ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    double settle = 0, idle = 0, timeout = 60;
    int first = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            first = i + 1;
            break;
        }
        if (i + 1 >= argc)
            return usage();
        if (arg == "--settle")
            settle = std::atof(argv[++i]);
        else if (arg == "--idle")
            idle = std::atof(argv[++i]);
        else if (arg == "--timeout")
            timeout = std::atof(argv[++i]);
        else
            return usage();
    }
    if (first < 0 || first >= argc)
        return usage();

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "kx-bench-launch: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("kx-bench-launch: fork");
        return 1;
    }
    if (child == 0) {
        close(ConnectionNumber(display));
        if (!std::getenv("KX_BENCH_VERBOSE")) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        execv(argv[first], argv + first);
        _exit(127);
    }

    double mapped = -1;
    const double deadline = start + timeout * 1000;
    while (mapped < 0) {
        while (mapped < 0 && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            const double at = nowMs();
            const long pid = windowPid(display, event.xmap.window, pidAtom);
            if (pid == long(child) || pid < 0)
                mapped = at;
        }
        if (mapped >= 0)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "kx-bench-launch: %s ended before it showed a window\n",
                         argv[first]);
            return 1;
        }
        const double left = deadline - nowMs();
        if (left <= 0) {
            std::fprintf(stderr, "kx-bench-launch: no window within %.0f s\n", timeout);
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            return 1;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, int(left < 50 ? left : 50));
    }
    std::printf("mapped_ms %.2f\n", mapped - start);

    if (settle > 0)
        sleepSeconds(settle);
    if (idle > 0) {
        const long tick = sysconf(_SC_CLK_TCK);
        const Usage before = usageOf(child);
        sleepSeconds(idle);
        const Usage after = usageOf(child);
        std::printf("idle_cpu_ms %.1f\n",
                    double(after.ticks - before.ticks) * 1000.0 / double(tick));
        std::printf("idle_cpu_exact_ms %.3f\n", double(after.cpuNs - before.cpuNs) / 1e6);
        std::printf("idle_wakeups %lld\n", after.switches - before.switches);
    }
    std::printf("vmhwm_kb %lld\n", vmHwmKb(child));
    std::fflush(stdout);

    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
