#pragma once

#include "store/prompter.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

// The process's resident memory now, in MB (0 where /proc is not there).
inline double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

// Runs `body` `runs` times (after `setup` each time, untimed) and returns the median in ms.
inline double medianMs(int runs, const std::function<void()> &body,
                       const std::function<void()> &setup = {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void report(const char *what, double ms, double targetMs = 0) {
    if (targetMs > 0)
        std::printf("%-44s %9.2f ms   (target < %.0f ms)\n", what, ms, targetMs);
    else
        std::printf("%-44s %9.2f ms\n", what, ms);
}

// Answers every prompt at once: benchmarks measure work, not dialogs.
class QuietPrompter : public Prompter {
public:
    Answer message(const QString &, const QString &, Icon, Buttons) override { return Answer::Ok; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override {
        return {};
    }
    std::optional<QString> openFile(const QString &, const QString &, const QString &) override {
        return {};
    }
    std::optional<QString> saveFile(const QString &, const QString &, const QString &,
                                    const QString &) override {
        return {};
    }
    std::optional<int> choose(const QString &, const QString &, const QStringList &) override {
        return std::nullopt;
    }
    bool tellWithCheck(const QString &, const QString &, Icon, const QString &) override {
        return false;
    }
    void setBusy(bool) override {}
};
