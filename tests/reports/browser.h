#pragma once

// Headless Chromium for the report tests: a real browser reads and prints what the writers
// make. Each run has a profile of its own and reaches nothing but the local file.

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>

inline QString chromiumPath() {
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

// Chromium's standard output for the file at `path` with `extra` arguments (--dump-dom,
// --print-to-pdf=...); nothing when it did not finish in time.
inline std::optional<QByteArray> runChromium(const QString &chromium, const QString &path,
                                             const QStringList &extra) {
    QTemporaryDir profile;
    QProcess browser;
    browser.setProcessChannelMode(QProcess::SeparateChannels);
    browser.start(chromium,
                  QStringList{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                              QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
                              QStringLiteral("--no-first-run"),
                              QStringLiteral("--disable-background-networking"),
                              QStringLiteral("--disable-component-update"),
                              QStringLiteral("--disable-sync"),
                              QStringLiteral("--user-data-dir=") + profile.path()} +
                      extra + QStringList{QUrl::fromLocalFile(path).toString()});
    if (!browser.waitForFinished(120000)) {
        browser.kill();
        browser.waitForFinished();
        return std::nullopt;
    }
    return browser.readAllStandardOutput();
}
