#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The one failure type of the plan store. Every component call that cannot do its job throws
// it, carrying a description written for the user, not for a debugger.
class StoreError : public std::exception {
public:
    explicit StoreError(QString description)
        : m_description(std::move(description))
        , m_utf8(m_description.toUtf8()) {}

    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};
