#pragma once

// Small helpers shared by the benchmark programs: a scratch folder, timing, and
// running the standard tools on the same data in the same run.
#include <QByteArray>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

inline std::string scratch(int argc, char** argv, const char* name)
{
    std::string base = argc > 1 ? argv[1] : "/tmp/tobrin-bench";
    ::mkdir(base.c_str(), 0755);
    return base + "/" + name;
}

// Best of n runs, in milliseconds.
inline double bestOf(int n, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

inline void shell(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "command failed: %s\n", command.c_str());
}

inline void writeFile(const std::string& path, size_t size)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string block(std::min<size_t>(size, 1 << 20), 'x');
    size_t done = 0;
    while (done < size) {
        const size_t n = std::min(block.size(), size - done);
        if (::write(fd, block.data(), n) != ssize_t(n))
            break;
        done += n;
    }
    ::close(fd);
}

// dir/f0 .. dir/f9999, 1 to 7 KB each, made once and kept between runs.
inline void smallFiles(const std::string& dir)
{
    struct stat st;
    if (::stat((dir + "/f9999").c_str(), &st) == 0)
        return;
    ::mkdir(dir.c_str(), 0755);
    for (int i = 0; i < 10000; ++i)
        writeFile(dir + "/f" + std::to_string(i), 1000 + size_t(i % 7) * 1000);
}

inline long peakRssMb()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Runs two whole commands on the same data, round by round, the side that goes first
// alternating, each after prepare; prints the median of the per-round ratios
// (ours / theirs) and their spread. The commands run through the shell.
inline void paired(const char* what, int rounds, const std::function<void()>& prepare,
                   const std::string& ours, const std::string& theirs)
{
    std::vector<double> ratios, oursMs, theirsMs;
    for (int round = 0; round < rounds; ++round) {
        double a = 0, b = 0;
        for (int side = 0; side < 2; ++side) {
            const bool oursNow = (side == 0) == (round % 2 == 0);
            prepare();
            const double ms = bestOf(1, [&] { shell(oursNow ? ours : theirs); });
            (oursNow ? a : b) = ms;
        }
        ratios.push_back(a / b);
        oursMs.push_back(a);
        theirsMs.push_back(b);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    std::printf("%-40s ours %8.1f ms  theirs %8.1f ms  ratio median %.2f (%.2f .. %.2f, %d "
                "rounds)\n",
                what, median(oursMs), median(theirsMs), median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), rounds);
}

inline void report(const char* what, double ours, const char* tool, double theirs)
{
    std::printf("%-44s %9.1f ms   %-32s %9.1f ms   ratio %.2f\n", what, ours, tool, theirs,
                ours / theirs);
}

// The path of the running benchmark, for re-running itself in a child mode.
inline std::string selfPath()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
}

// Peak resident memory in KB of a command run once through the shell, its output to
// /dev/null: the largest of the shell and what it ran (wait4's rusage).
inline long childPeakKb(const std::string& command)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", (command + " > /dev/null").c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    ::wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

// A path in single quotes for the shell.
inline std::string quoted(const std::string& path)
{
    std::string out = "'";
    for (char c : path)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Gives a command an empty folder dir outside the time taken: what is there is moved
// aside, not deleted, since deleting many files slows the next creations on ext4 for
// minutes; removeAside() deletes it all once the timing is over (bench/run-all sets
// TOBRIN_BENCH_KEEP_ASIDE and deletes everything moved aside after the last benchmark).
inline void emptyDir(const std::string& dir)
{
    static int round = 0;
    const std::string aside =
        dir + ".aside." + std::to_string(::getpid()) + "." + std::to_string(++round);
    shell("if [ -e " + quoted(dir) + " ]; then mv " + quoted(dir) + " " + quoted(aside) +
          "; fi; mkdir -p " + quoted(dir) + " && sync");
}

inline void removeAside(const std::string& dir)
{
    if (std::getenv("TOBRIN_BENCH_KEEP_ASIDE"))
        emptyDir(dir);
    else
        shell("rm -rf " + quoted(dir) + " " + quoted(dir) + ".aside.*");
}

} // namespace bench
