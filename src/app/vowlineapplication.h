#pragma once

#include <QApplication>
#include <exception>

// Tells the user that a command stopped on something unexpected (memory running out, a
// failure no rule foresaw) instead of letting the program end.
void reportUnexpected(const std::exception &error);

// The application object: every event the program handles (menu commands, buttons, timers)
// passes through notify(), so an exception a command lets through ends in a message there.
class VowlineApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override;
};
