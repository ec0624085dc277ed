#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <optional>

// What the program is told when it starts: `vowline [FOLDER | FOLDER/VowlineDB.pdb]`, with
// --help and --version.
namespace CommandLine {

// The name the desktop file, the icon and the AppStream metadata share.
inline constexpr char kAppId[] = "com.vowline.Desktop";

// Answers --help and --version (printing and ending the program) from the raw arguments,
// before any window system is needed.
void answerInformationOptions(const QStringList &arguments);
// The plan named on the command line, if any, from the arguments Qt left (its own options
// removed). A second plan, or an unknown option, ends the program with a message.
std::optional<QString> planArgument(const QStringList &arguments);

// The plan folder `path` names: a folder holding VowlineDB.pdb, or that file itself. Empty
// when it names none; `problem` then says why, in a sentence.
QString planFolderOf(const QString &path, QString *problem);

// The program's icon: the installed theme icon, else the same picture drawn here.
QIcon programIcon();

} // namespace CommandLine
