#include "scriptedprompter.h"

ScriptedPrompter &ScriptedPrompter::push(Kind kind, const QString &text, const QString &title,
                                         std::optional<QString> reply) {
    Step &s = m_script.emplace_back();
    s.kind = kind;
    s.text = text;
    s.title = title;
    s.reply = std::move(reply);
    return *this;
}

ScriptedPrompter &ScriptedPrompter::expectMessage(const QString &text, const QString &title,
                                                  Icon icon, Buttons buttons, Answer answer) {
    push(Kind::Message, text, title, std::nullopt);
    Step &s = m_script.back();
    s.icon = icon;
    s.buttons = buttons;
    s.answer = answer;
    return *this;
}

ScriptedPrompter &ScriptedPrompter::expectChoice(const QString &text, const QString &title,
                                                 const QStringList &answers,
                                                 std::optional<int> chosen) {
    push(Kind::Choice, text, title, std::nullopt);
    m_script.back().answers = answers;
    m_script.back().chosen = chosen;
    return *this;
}

ScriptedPrompter &ScriptedPrompter::expectCheckedMessage(const QString &text, const QString &title,
                                                         Icon icon, const QString &check,
                                                         bool ticked) {
    expectMessage(text, title, icon);
    m_script.back().answers = {check};
    m_script.back().chosen = ticked ? 1 : 0;
    return *this;
}

ScriptedPrompter &ScriptedPrompter::expectInput(const QString &prompt, const QString &title,
                                                std::optional<QString> reply) {
    return push(Kind::Input, prompt, title, std::move(reply));
}

// A file dialog is known by its title.
ScriptedPrompter &ScriptedPrompter::expectOpenFile(const QString &title,
                                                   std::optional<QString> reply) {
    return push(Kind::OpenFile, title, title, std::move(reply));
}

ScriptedPrompter &ScriptedPrompter::expectSaveFile(const QString &title,
                                                   std::optional<QString> reply) {
    return push(Kind::SaveFile, title, title, std::move(reply));
}

ScriptedPrompter &ScriptedPrompter::prefixOnly() {
    if (!m_script.empty())
        m_script.back().prefix = true;
    return *this;
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::next(Kind kind, const QString &text,
                                                             const QString &title) {
    m_seen.append(title + QStringLiteral(": ") + text);
    if (m_script.empty()) {
        m_failures.append(QStringLiteral("unexpected prompt \"%1\" (%2)").arg(text, title));
        return std::nullopt;
    }
    Step step = m_script.front();
    const bool textMatches = step.prefix ? text.startsWith(step.text) : text == step.text;
    if (step.kind != kind || !textMatches || step.title != title) {
        m_failures.append(QStringLiteral("expected \"%1\" (%2), got \"%3\" (%4)")
                              .arg(step.text, step.title, text, title));
        return std::nullopt;
    }
    m_script.pop_front();
    m_last = step;
    return step;
}

Prompter::Answer ScriptedPrompter::message(const QString &text, const QString &title, Icon icon,
                                           Buttons buttons) {
    const auto step = next(Kind::Message, text, title);
    if (!step)
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    if (step->icon && *step->icon != icon)
        m_failures.append(QStringLiteral("wrong icon for \"%1\"").arg(text));
    if (!step->answers.isEmpty())
        m_failures.append(QStringLiteral("no check box with \"%1\"").arg(text));
    if (step->buttons && *step->buttons != buttons)
        m_failures.append(QStringLiteral("wrong buttons for \"%1\"").arg(text));
    return step->answer;
}

std::optional<int> ScriptedPrompter::choose(const QString &text, const QString &title,
                                            const QStringList &answers) {
    const auto step = next(Kind::Choice, text, title);
    if (!step)
        return std::nullopt;
    if (step->answers != answers)
        m_failures.append(QStringLiteral("wrong answers for \"%1\": %2")
                              .arg(text, answers.join(QStringLiteral(" / "))));
    return step->chosen;
}

bool ScriptedPrompter::tellWithCheck(const QString &text, const QString &title, Icon icon,
                                     const QString &check) {
    const auto step = next(Kind::Message, text, title);
    if (!step)
        return false;
    if (step->icon && *step->icon != icon)
        m_failures.append(QStringLiteral("wrong icon for \"%1\"").arg(text));
    if (step->answers != QStringList{check})
        m_failures.append(QStringLiteral("wrong check box for \"%1\": %2").arg(text, check));
    return step->chosen == 1;
}

std::optional<QString> ScriptedPrompter::input(const QString &prompt, const QString &title,
                                               const QString &defaultText) {
    const auto step = next(Kind::Input, prompt, title);
    if (step)
        m_last->defaultText = defaultText;
    return step ? step->reply : std::nullopt;
}

std::optional<QString> ScriptedPrompter::fileDialog(Kind kind, const QString &title,
                                                    const QString &folder, const QString &filter,
                                                    const QString &fileName) {
    const auto step = next(kind, title, title);
    if (!step)
        return std::nullopt;
    m_last->folder = folder;
    m_last->filter = filter;
    m_last->defaultText = fileName;
    return step->reply;
}

std::optional<QString> ScriptedPrompter::openFile(const QString &title, const QString &folder,
                                                  const QString &filter) {
    return fileDialog(Kind::OpenFile, title, folder, filter, {});
}

std::optional<QString> ScriptedPrompter::saveFile(const QString &title, const QString &folder,
                                                  const QString &filter, const QString &fileName) {
    return fileDialog(Kind::SaveFile, title, folder, filter, fileName);
}

void ScriptedPrompter::setBusy(bool busy) {
    m_busy += busy ? 1 : -1;
    if (m_busy < 0)
        m_failures.append(QStringLiteral("normal pointer restored more often than set"));
}

QString ScriptedPrompter::report() const {
    QStringList lines = m_failures;
    for (const Step &s : m_script)
        lines.append(QStringLiteral("never shown: \"%1\" (%2)").arg(s.text, s.title));
    if (m_busy != 0)
        lines.append(QStringLiteral("busy pointer left at depth %1").arg(m_busy));
    return lines.join(u'\n');
}

void expectPlanNamePrompt(ScriptedPrompter &p, std::optional<QString> answer) {
    p.expectMessage(QStringLiteral("You must enter a name for this Wedding Plan.  This is the name "
                                   "to be displayed on the main Vowline screen on your handheld."),
                    QStringLiteral("Missing Data"), Prompter::Icon::Exclamation);
    p.expectInput(QStringLiteral("This Wedding Plan is for whom?\rex: Romeo & Juliet"),
                  QStringLiteral("Enter Name"), std::move(answer));
}

void expectUserNamePrompt(ScriptedPrompter &p, std::optional<QString> answer) {
    p.expectInput(QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
                  QStringLiteral("User Name"), std::move(answer));
}

void expectSavedMessage(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("The Vowline Databases have been saved to ") + folder,
                    QStringLiteral("Vowline Desktop"), Prompter::Icon::None);
}
