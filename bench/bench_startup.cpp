// Start-up against the floor, measured from outside on the X display in $DISPLAY: the wall
// time from spawning a process until the X server maps its main window (seen as a MapNotify
// on the root window, so nothing is polled), then the process's RssAnon once it has settled.
//   bench_startup [--runs N] [--settle-ms M] PROGRAM FLOOR

#include "BenchSupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char *const windowTitle = "Student Information";

struct Sample
{
    double milliseconds;
    double cpuMilliseconds;
    long rssAnonKiB;
};

// CPU time that all threads of the process have used so far, from the scheduler's counters;
// unlike wall time, other processes on the machine hardly change it.
double cpuMilliseconds(pid_t pid)
{
    const std::string taskDir = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR *tasks = opendir(taskDir.c_str())) {
        while (const dirent *task = readdir(tasks)) {
            if (task->d_name[0] == '.')
                continue;
            const std::string path = taskDir + "/" + task->d_name + "/schedstat";
            if (std::FILE *file = std::fopen(path.c_str(), "r")) {
                unsigned long long ns = 0;
                if (std::fscanf(file, "%llu", &ns) == 1)
                    total += static_cast<double>(ns) / 1e6;
                std::fclose(file);
            }
        }
        closedir(tasks);
    }
    return total;
}

// A window can vanish between its map and our look at its name; that is not fatal here.
int ignoreXErrors(Display *, XErrorEvent *)
{
    return 0;
}

// The caller's environment with the X platform forced, the same for both programs.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> result;
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0 &&
            std::strncmp(*entry, "SESSION_MANAGER=", 16) != 0)
            result.emplace_back(*entry);
    }
    result.emplace_back("QT_QPA_PLATFORM=xcb");
    return result;
}

bool isMainWindow(Display *display, Window window)
{
    char *name = nullptr;
    const bool match =
        XFetchName(display, window, &name) && name && std::strcmp(name, windowTitle) == 0;
    if (name)
        XFree(name);
    return match;
}

std::optional<Sample> measure(Display *display, const std::string &program, int settleMs)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True); // drop events of earlier runs

    static const std::vector<std::string> environment = childEnvironment();
    std::vector<char *> envp;
    for (const std::string &entry : environment)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};

    pid_t pid = 0;
    const auto start = bench::Clock::now();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        std::perror(program.c_str());
        return std::nullopt;
    }

    std::optional<double> mapped;
    double cpu = 0;
    while (!mapped) {
        while (!mapped && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            const auto at = bench::Clock::now();
            if (isMainWindow(display, event.xmap.window)) {
                mapped = bench::millisecondsBetween(start, at);
                cpu = cpuMilliseconds(pid);
            }
        }
        if (mapped)
            break;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 100);
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "%s exited before showing its window\n", program.c_str());
            return std::nullopt;
        }
        if (bench::millisecondsBetween(start, bench::Clock::now()) > 20000) {
            std::fprintf(stderr, "%s: no window within 20 s\n", program.c_str());
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::nullopt;
        }
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long rss = bench::rssAnonKiB(std::to_string(pid));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return Sample{*mapped, cpu, rss};
}

void report(const char *name, const std::vector<double> &ms, const std::vector<double> &cpu,
            const std::vector<double> &rss)
{
    std::printf("  %-8s wall %6.1f ms (min %5.1f, max %5.1f)   CPU %6.1f ms   RssAnon %5.0f KiB\n",
                name, bench::median(ms), bench::percentile(ms, 0), bench::percentile(ms, 100),
                bench::median(cpu), bench::median(rss));
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 15;
    int settleMs = 1000;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (arg == "--settle-ms" && i + 1 < argc)
            settleMs = std::atoi(argv[++i]);
        else
            programs.push_back(arg);
    }
    if (programs.size() != 2 || runs < 1) {
        std::fprintf(stderr, "usage: %s [--runs N] [--settle-ms M] PROGRAM FLOOR\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display \"%s\"\n", XDisplayName(nullptr));
        return 2;
    }
    XSetErrorHandler(ignoreXErrors);

    // Warm-up: both programs once, so the file cache and font caches are the same for both.
    for (const std::string &program : programs) {
        if (!measure(display, program, 200))
            return 1;
    }

    std::vector<double> ms[2];
    std::vector<double> cpu[2];
    std::vector<double> rss[2];
    for (int run = 0; run < runs; ++run) {
        // ABBA order, so neither program always goes first.
        for (int k = 0; k < 2; ++k) {
            const int which = (run % 2 == 0) ? k : 1 - k;
            const std::optional<Sample> sample = measure(display, programs[which], settleMs);
            if (!sample)
                return 1;
            ms[which].push_back(sample->milliseconds);
            cpu[which].push_back(sample->cpuMilliseconds);
            rss[which].push_back(static_cast<double>(sample->rssAnonKiB));
        }
    }
    XCloseDisplay(display);

    std::printf("Start-up, medians of %d runs each, alternating: wall time and the process's CPU "
                "time from spawn to the main window's map; RssAnon %d ms after the map\n",
                runs, settleMs);
    report("program", ms[0], cpu[0], rss[0]);
    report("floor", ms[1], cpu[1], rss[1]);
    const double ratio = bench::median(ms[0]) / bench::median(ms[1]);
    const double cpuRatio = bench::median(cpu[0]) / bench::median(cpu[1]);
    const double extraKiB = bench::median(rss[0]) - bench::median(rss[1]);
    std::printf("  ratio    wall %.3f x the floor (goal <= 1.05)%s; CPU %.3f x\n", ratio,
                ratio <= 1.05 ? "" : "  MISSED", cpuRatio);
    std::printf("  RssAnon  %+.0f KiB over the floor (goal <= +1024 KiB)%s\n", extraKiB,
                extraKiB <= 1024 ? "" : "  MISSED");
    return 0;
}
