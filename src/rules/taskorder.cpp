#include "taskorder.h"

#include "money.h"
#include "store/schema.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>

namespace TaskOrder {

namespace {

using Schema::DbId;
constexpr FieldCode kOrder = Schema::Task::kOrder;
constexpr FieldCode kAlarm = Schema::Task::kAlarm;

// The first position of each timeframe name; later duplicates do not count.
QHash<QString, int> positions(const PalmDatabase &timeframes) {
    QHash<QString, int> byName;
    const auto &records = timeframes.records().raw();
    byName.reserve(qsizetype(records.size()));
    for (std::size_t j = 0; j < records.size(); ++j) {
        const Field *name = records[j]->fields().find(Schema::kTimeFrame);
        if (name && !name->value().isNone() && !byName.contains(name->value().toText()))
            byName.insert(name->value().toText(), int(j) + 1);
    }
    return byName;
}

void renumber(PlanEdit &edit, Record &task, const QHash<QString, int> &byName) {
    edit.ensureField(DbId::Tasks, task, kOrder, FieldKind::Text);
    const Field *time = task.fields().find(Schema::kTimeFrame);
    if (!time || time->value().isNone())
        return;
    const auto found = byName.constFind(time->value().toText());
    if (found == byName.constEnd())
        return;
    // A whole number; a list longer than 16 bits can count stores the position as a double.
    const int position = found.value();
    if (position <= std::numeric_limits<qint16>::max())
        edit.write(DbId::Tasks, task, kOrder, qint16(position));
    else
        edit.write(DbId::Tasks, task, kOrder, double(position));
}

struct Key {
    bool positioned = false;
    double position = 0;
    bool dated = false;
    qint64 alarm = 0; // wall-clock seconds
};

Key keyOf(const Record &task) {
    Key key;
    if (const Field *order = task.fields().find(kOrder)) {
        const FieldValue &v = order->value();
        if (v.type() == FieldValue::Type::Integer || v.type() == FieldValue::Type::Double) {
            key.position = v.toNumber();
            key.positioned = std::isfinite(key.position);
        } else if (v.type() == FieldValue::Type::Text) {
            bool ok = false;
            key.position = v.toText().trimmed().toDouble(&ok);
            key.positioned = ok && std::isfinite(key.position);
        }
    }
    if (const Field *alarm = task.fields().find(kAlarm)) {
        const FieldValue &v = alarm->value();
        if (v.type() == FieldValue::Type::DateTime) {
            // Wall-clock seconds, as stored: no time zone lookup per task.
            const QDateTime when = v.toDateTime();
            key.dated = true;
            key.alarm =
                when.date().toJulianDay() * 86400 + when.time().msecsSinceStartOfDay() / 1000;
        } else if (v.type() == FieldValue::Type::Text) {
            const QDate date = Money::dateOf(task, kAlarm);
            key.dated = date.isValid();
            if (key.dated)
                key.alarm = date.toJulianDay() * 86400;
        }
    }
    return key;
}

bool before(const Key &a, const Key &b) {
    if (a.positioned != b.positioned)
        return !a.positioned;
    if (a.positioned && a.position != b.position)
        return a.position < b.position;
    if (a.dated != b.dated)
        return a.dated;
    return a.dated && a.alarm < b.alarm;
}

} // namespace

void renumberTasks(PlanEdit &edit) {
    edit.listField(DbId::Tasks, kOrder);
    const QHash<QString, int> byName = positions(edit.db(DbId::TimeFrames));
    for (const auto &task : edit.db(DbId::Tasks).records().raw())
        renumber(edit, *task, byName);
}

void renumberTask(PlanEdit &edit, Record &task) {
    renumber(edit, task, positions(edit.db(DbId::TimeFrames)));
}

void sortTasks(PlanEdit &edit) {
    const auto &records = edit.db(DbId::Tasks).records().raw();
    struct Entry {
        Key key;
        std::size_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        entries.push_back({keyOf(*records[i]), i});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return before(a.key, b.key); });
    std::vector<int> order;
    order.reserve(entries.size());
    for (const Entry &e : entries)
        order.push_back(int(e.index));
    edit.reorder(DbId::Tasks, order);
}

} // namespace TaskOrder
