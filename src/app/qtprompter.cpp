#include "qtprompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// While a long command shows the busy pointer, a question in the middle of it still wants the
// ordinary arrow.
class ArrowWhileAsking {
public:
    ArrowWhileAsking()
        : m_busy(QApplication::overrideCursor() != nullptr) {
        if (m_busy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking() {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;

private:
    bool m_busy;
};

QWidget *owner() {
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

QMessageBox::Icon qtIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString QtPrompter::displayText(const QString &text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

QString QtPrompter::qtFilter(const QString &filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    // A description that names its own patterns ("Files (*.pdb)") would show two lists side
    // by side; the patterns after the bar are the ones that filter, so only they are shown.
    QString description = filter.left(bar).trimmed();
    static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
    description.remove(ownPatterns);
    return description + QStringLiteral(" (") + filter.mid(bar + 1).replace(u';', u' ') + u')';
}

Prompter::Answer QtPrompter::message(const QString &text, const QString &title, Icon icon,
                                     Buttons buttons) {
    ArrowWhileAsking arrow;
    QMessageBox box(qtIcon(icon), title.isEmpty() ? kProgramTitle : title, displayText(text),
                    QMessageBox::NoButton, owner());
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    const int pressed = box.exec();
    switch (pressed) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

std::optional<int> QtPrompter::choose(const QString &text, const QString &title,
                                      const QStringList &answers) {
    ArrowWhileAsking arrow;
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? kProgramTitle : title,
                    displayText(text), QMessageBox::Cancel, owner());
    QList<QAbstractButton *> buttons;
    for (const QString &answer : answers)
        buttons << box.addButton(answer, QMessageBox::AcceptRole);
    if (!buttons.isEmpty())
        box.setDefaultButton(static_cast<QPushButton *>(buttons.first()));
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return chosen < 0 ? std::nullopt : std::optional<int>(int(chosen));
}

bool QtPrompter::tellWithCheck(const QString &text, const QString &title, Icon icon,
                               const QString &check) {
    ArrowWhileAsking arrow;
    QMessageBox box(qtIcon(icon), title.isEmpty() ? kProgramTitle : title, displayText(text),
                    QMessageBox::Ok, owner());
    auto *checkBox = new QCheckBox(check, &box);
    box.setCheckBox(checkBox);
    box.exec();
    return checkBox->isChecked();
}

std::optional<QString> QtPrompter::input(const QString &prompt, const QString &title,
                                         const QString &defaultText) {
    ArrowWhileAsking arrow;
    bool ok = false;
    // The prompt's label names the box; an "&" in it ("Romeo & Juliet") is text, not the
    // label's access key.
    QString label = displayText(prompt);
    label.replace(u'&', QStringLiteral("&&"));
    const QString text = QInputDialog::getText(owner(), title.isEmpty() ? kProgramTitle : title,
                                               label, QLineEdit::Normal, defaultText, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

std::optional<QString> QtPrompter::openFile(const QString &title, const QString &folder,
                                            const QString &filter) {
    const QString path = QFileDialog::getOpenFileName(owner(), title, folder, qtFilter(filter));
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

std::optional<QString> QtPrompter::saveFile(const QString &title, const QString &folder,
                                            const QString &filter, const QString &fileName) {
    ArrowWhileAsking arrow;
    // The program asks its own question before overwriting a plan.
    const QString path =
        QFileDialog::getSaveFileName(owner(), title, folder + u'/' + fileName, qtFilter(filter),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

void QtPrompter::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
