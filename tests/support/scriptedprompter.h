#pragma once

#include "store/prompter.h"

#include <QStringList>
#include <deque>

// Answers prompts from a script. Each prompt must match the next expected one (its text, and
// title, icon and buttons where given); anything else is recorded as a failure and answered
// with Cancel / nothing. Check done() (VERIFY_PROMPTS) at the end of a test.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Message, Choice, Input, OpenFile, SaveFile };
    struct Step {
        Kind kind = Kind::Message;
        QString text; // message text, input prompt, or dialog title
        QString title;
        std::optional<Icon> icon;
        std::optional<Buttons> buttons;
        Answer answer = Answer::Ok;
        std::optional<QString> reply;
        QString defaultText;
        std::optional<QString> folder; // the dialog's start folder, checked when given
        std::optional<QString> filter;
        QStringList answers;       // a choice's buttons, or a message's check box
        std::optional<int> chosen; // the choice's answer, or whether the box is ticked (1)
        bool prefix = false;       // the text need only begin with `text`
    };

    ScriptedPrompter &expectMessage(const QString &text, const QString &title, Icon icon,
                                    Buttons buttons = Buttons::Ok, Answer answer = Answer::Ok);
    // A question whose buttons are `answers`; `chosen` is the index clicked, empty for Cancel.
    ScriptedPrompter &expectChoice(const QString &text, const QString &title,
                                   const QStringList &answers, std::optional<int> chosen);
    // A message with the check box `check`, left ticked or not.
    ScriptedPrompter &expectCheckedMessage(const QString &text, const QString &title, Icon icon,
                                           const QString &check, bool ticked);
    ScriptedPrompter &expectInput(const QString &prompt, const QString &title,
                                  std::optional<QString> reply);
    ScriptedPrompter &expectOpenFile(const QString &title, std::optional<QString> reply);
    ScriptedPrompter &expectSaveFile(const QString &title, std::optional<QString> reply);
    // Loosens the last expectation to any text beginning with its text.
    ScriptedPrompter &prefixOnly();

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

    // Every prompt seen, as "title: text".
    const QStringList &seen() const { return m_seen; }
    int pending() const { return int(m_script.size()); }
    const Step *lastStep() const { return m_last ? &*m_last : nullptr; }
    // True when every step was used, nothing unexpected came and the pointer is normal again.
    bool done() const { return m_script.empty() && m_failures.isEmpty() && m_busy == 0; }
    QString report() const;

private:
    ScriptedPrompter &push(Kind kind, const QString &text, const QString &title,
                           std::optional<QString> reply);
    std::optional<Step> next(Kind kind, const QString &text, const QString &title);
    std::optional<QString> fileDialog(Kind kind, const QString &title, const QString &folder,
                                      const QString &filter, const QString &fileName);

    std::deque<Step> m_script;
    QStringList m_seen;
    QStringList m_failures;
    std::optional<Step> m_last;
    int m_busy = 0;
};

#define VERIFY_PROMPTS(p) QVERIFY2((p).done(), qPrintable((p).report()))

// The prompts of the save commands: the plan's name, the user name, and the success message.
void expectPlanNamePrompt(ScriptedPrompter &p, std::optional<QString> answer);
void expectUserNamePrompt(ScriptedPrompter &p, std::optional<QString> answer);
void expectSavedMessage(ScriptedPrompter &p, const QString &folder);
