#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The one failure type of the plan store. Every component call that cannot do its job throws
// it, carrying a description written for the user, not for a debugger.
class StoreError : public std::exception {
public:
    // Where a caller must tell failures apart: a file that could not be read at all, one
    // written by a newer version of the program (readable again once the program is updated),
    // and a folder another copy of the program is writing to (free again in a moment).
    enum class Cause { Other, Unreadable, NewerFormat, Busy };

    explicit StoreError(QString description, Cause cause = Cause::Other)
        : m_description(std::move(description))
        , m_utf8(m_description.toUtf8())
        , m_cause(cause) {}

    const QString &description() const noexcept { return m_description; }
    Cause cause() const noexcept { return m_cause; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
    Cause m_cause;
};
