#include "commandline.h"

#include "frmabout.h"
#include "store/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace CommandLine {

namespace {

void describe(QCommandLineParser &parser) {
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Plans a wedding and shares the plan with a Palm OS handheld."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("plan"),
        QCoreApplication::translate("CommandLine",
                                    "The folder of a wedding plan, or its VowlineDB.pdb file."),
        QStringLiteral("[FOLDER | VowlineDB.pdb]"));
}

} // namespace

void answerInformationOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    describe(parser);
    // Unknown options are the window system's here (-platform, -style): the second pass,
    // after Qt has taken its own, judges them.
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
}

std::optional<QString> planArgument(const QStringList &arguments) {
    QCommandLineParser parser;
    describe(parser);
    parser.process(arguments);
    const QStringList plans = parser.positionalArguments();
    if (plans.size() > 1) {
        std::fputs(qPrintable(QCoreApplication::translate("CommandLine",
                                                          "Name one wedding plan at most.\n")),
                   stderr);
        parser.showHelp(2);
    }
    if (plans.isEmpty())
        return std::nullopt;
    return plans.first();
}

QString planFolderOf(const QString &path, QString *problem) {
    const QString planFile = QString(Schema::info(Schema::DbId::Plan).fileName);
    auto fail = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return QString();
    };
    const QFileInfo given(path);
    if (path.trimmed().isEmpty() || !given.exists())
        return fail(QCoreApplication::translate("CommandLine", "It does not exist."));
    if (given.isDir()) {
        if (!QFileInfo(given.absoluteFilePath() + u'/' + planFile).isFile())
            return fail(QCoreApplication::translate("CommandLine", "The folder holds no %1.")
                            .arg(planFile));
        return given.absoluteFilePath();
    }
    if (given.fileName() != planFile)
        return fail(
            QCoreApplication::translate("CommandLine", "It is neither a plan folder nor a %1 file.")
                .arg(planFile));
    return given.absolutePath();
}

QIcon programIcon() {
    QIcon drawn;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 64.0, size / 64.0);
        // The same picture as the installed icon: two rings on a rose tile.
        QLinearGradient tile(0, 4, 0, 60);
        tile.setColorAt(0, QColor(0xfb, 0xe3, 0xea));
        tile.setColorAt(1, QColor(0xf1, 0xb8, 0xc8));
        painter.setPen(QPen(QColor(0xc2, 0x6f, 0x8a), 1.5));
        painter.setBrush(tile);
        painter.drawRoundedRect(QRectF(4, 4, 56, 56), 12, 12);
        paintWeddingRings(painter, QRectF(8, 12, 48, 42));
        painter.end();
        drawn.addPixmap(pixmap);
    }
    return QIcon::fromTheme(QString::fromLatin1(kAppId), drawn);
}

} // namespace CommandLine
