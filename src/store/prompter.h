#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's title: the caption of every message that names no other.
inline const QString kProgramTitle = QStringLiteral("Vowline Desktop");

// Every message box, question, input prompt and file dialog of the program goes through this
// interface, so that the rules that ask (loading, saving) need no widgets and tests can script
// the answers. The window's implementation shows real dialogs; tests install a scripted one.
class Prompter {
public:
    enum class Icon { None, Information, Exclamation, Question, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;

    // A message box; returns the button pressed (Cancel, or No for Yes/No, when dismissed).
    virtual Answer message(const QString &text, const QString &title, Icon icon = Icon::None,
                           Buttons buttons = Buttons::Ok) = 0;
    // A question whose buttons name the answers (and Cancel); the index of the answer chosen,
    // empty when cancelled.
    virtual std::optional<int> choose(const QString &text, const QString &title,
                                      const QStringList &answers) = 0;
    // A message with an OK button and a check box (`check`, such as "Do not show this again")
    // under it; whether the box was ticked.
    virtual bool tellWithCheck(const QString &text, const QString &title, Icon icon,
                               const QString &check) = 0;
    // A one-line input prompt; empty when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText = {}) = 0;
    // Open and save file dialogs. `filter` has the form "Description|pattern".
    virtual std::optional<QString> openFile(const QString &title, const QString &folder,
                                            const QString &filter) = 0;
    virtual std::optional<QString> saveFile(const QString &title, const QString &folder,
                                            const QString &filter, const QString &fileName) = 0;

    // The busy mouse pointer around long commands.
    virtual void setBusy(bool busy) = 0;

    // Shorthand for a plain message with an OK button.
    void tell(const QString &text, const QString &title, Icon icon = Icon::None) {
        message(text, title, icon, Buttons::Ok);
    }
};

// Shows the busy pointer for the lifetime of the object.
class BusyPointer {
public:
    explicit BusyPointer(Prompter &prompter)
        : m_prompter(prompter) {
        m_prompter.setBusy(true);
    }
    ~BusyPointer() { m_prompter.setBusy(false); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    Prompter &m_prompter;
};
