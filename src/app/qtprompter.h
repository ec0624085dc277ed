#pragma once

#include "store/prompter.h"

class QWidget;

// The real dialogs: QMessageBox, QInputDialog and QFileDialog, over the active window.
class QtPrompter : public Prompter {
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons) override;
    std::optional<int> choose(const QString &text, const QString &title,
                              const QStringList &answers) override;
    bool tellWithCheck(const QString &text, const QString &title, Icon icon,
                       const QString &check) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    std::optional<QString> openFile(const QString &title, const QString &folder,
                                    const QString &filter) override;
    std::optional<QString> saveFile(const QString &title, const QString &folder,
                                    const QString &filter, const QString &fileName) override;
    void setBusy(bool busy) override;

    // "Description|pattern" as the file dialogs of Qt want it: "Description (pattern)".
    static QString qtFilter(const QString &filter);
    // Message texts break lines with carriage returns; Qt wants line feeds.
    static QString displayText(const QString &text);
};
