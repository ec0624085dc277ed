// Builds one default category file from its text list:
//   vowline_pdbgen relations|vendortypes|timeframes <list.txt> <out.pdb>
//   vowline_pdbgen tasks <tasks.txt> <timeframes.txt> <out.pdb>
// Lists hold one name per line; tasks hold "timeframe | task" lines. Blank lines and lines
// starting with "#" are skipped. Every task's timeframe must be one of the timeframes.

#include "store/schema.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

QStringList readLines(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw StoreError(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    QStringList lines;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            lines.append(line);
    }
    return lines;
}

void stamp(PalmDatabase &db, Schema::DbId id) {
    db.setCreator(Schema::kCreator);
    db.setType(Schema::info(id).type);
    db.setName(Schema::info(id).name);
}

PalmDatabase categoryList(Schema::DbId id, FieldCode field, const QStringList &names) {
    PalmDatabase db;
    stamp(db, id);
    db.fieldList().add(field, FieldKind::Text);
    for (const QString &name : names)
        db.write(db.records().add(), field, name);
    return db;
}

PalmDatabase taskList(const QStringList &lines, const QStringList &timeframes) {
    PalmDatabase db;
    stamp(db, Schema::DbId::Tasks);
    for (const QString &line : lines) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar < 0)
            throw StoreError(QStringLiteral("Task line without \"|\": %1").arg(line));
        const QString timeframe = line.left(bar).trimmed();
        const QString task = line.mid(bar + 1).trimmed();
        const qsizetype position = timeframes.indexOf(timeframe);
        if (position < 0 || task.isEmpty())
            throw StoreError(
                QStringLiteral("Task with an unknown timeframe or no text: %1").arg(line));
        Record &r = db.records().add();
        db.write(r, "time", timeframe);
        db.write(r, "evnt", task);
        db.write(r, "done", QString(), FieldKind::Boolean); // a new task is not complete yet
        db.write(r, "note", QString());
        db.write(r, "ordr", qint16(position + 1));
    }
    return db;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == u"relations") {
            categoryList(Schema::DbId::RelTypes, Schema::kCategoryType, readLines(args[1]))
                .save(args[2]);
        } else if (args.size() == 3 && args[0] == u"vendortypes") {
            categoryList(Schema::DbId::VenTypes, Schema::kCategoryType, readLines(args[1]))
                .save(args[2]);
        } else if (args.size() == 3 && args[0] == u"timeframes") {
            categoryList(Schema::DbId::TimeFrames, Schema::kTimeFrame, readLines(args[1]))
                .save(args[2]);
        } else if (args.size() == 4 && args[0] == u"tasks") {
            taskList(readLines(args[1]), readLines(args[2])).save(args[3]);
        } else {
            std::fprintf(stderr,
                         "usage: vowline_pdbgen relations|vendortypes|timeframes <list> <out>\n"
                         "       vowline_pdbgen tasks <tasks> <timeframes> <out>\n");
            return 2;
        }
    } catch (const StoreError &error) {
        std::fprintf(stderr, "vowline_pdbgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
