#include "planedit.h"

#include <unordered_set>

using Schema::DbId;

// --- PlanChange --------------------------------------------------------------------------------

void PlanChange::noteRecord(DbId id, const Record *record) {
    std::vector<const Record *> &records = at(id).records;
    if (std::find(records.begin(), records.end(), record) == records.end())
        records.push_back(record);
}

void PlanChange::merge(const PlanChange &other) {
    for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
        if (other.rowsChanged(info.id))
            noteRows(info.id);
        for (const Record *record : other.records(info.id))
            noteRecord(info.id, record);
    }
}

// --- PlanEdit ----------------------------------------------------------------------------------

PlanEdit::PlanEdit(PlanSet &set)
    : m_set(&set) {
}

PlanEdit::PlanEdit(PlanEdit &&) noexcept = default;
PlanEdit &PlanEdit::operator=(PlanEdit &&) noexcept = default;
PlanEdit::~PlanEdit() = default;

void PlanEdit::addToFieldList(DbId id, FieldCode code, FieldKind kind) {
    Fields &list = db(id).fieldList();
    if (list.exists(code))
        return;
    list.add(code, kind);
    m_steps.emplace_back(ListStep{id, code, kind});
}

void PlanEdit::write(DbId id, Record &record, FieldCode code, FieldValue value, FieldKind kind) {
    Fields &fields = record.fields();
    if (const Field *current = fields.find(code)) {
        if (current->value() == value)
            return;
        Field after = *current;
        after.setValue(std::move(value));
        Step step = FieldStep{id, &record, code, -1, *current, std::move(after)};
        apply(step, true);
        m_steps.push_back(std::move(step));
        return;
    }
    addToFieldList(id, code, kind);
    Field added(code, kind);
    added.setValue(std::move(value));
    Step step = FieldStep{id, &record, code, fields.count(), std::nullopt, std::move(added)};
    apply(step, true);
    m_steps.push_back(std::move(step));
}

void PlanEdit::ensureField(DbId id, Record &record, FieldCode code, FieldKind kind) {
    if (record.has(code)) {
        addToFieldList(id, code, kind);
        return;
    }
    write(id, record, code, FieldValue(), kind);
}

void PlanEdit::addEmptyField(DbId id, Record &record, FieldCode code, FieldKind kind) {
    if (record.has(code)) {
        addToFieldList(id, code, kind);
        return;
    }
    switch (kind) {
    case FieldKind::Text:
        write(id, record, code, QString(), kind);
        break;
    case FieldKind::Boolean:
        write(id, record, code, false, kind);
        break;
    case FieldKind::Date:
    case FieldKind::Time:
        write(id, record, code, FieldValue(), kind);
        break;
    }
}

void PlanEdit::removeField(DbId id, Record &record, FieldCode code) {
    const int index = record.fields().indexOf(code);
    if (index < 0)
        return;
    Step step = FieldStep{id, &record, code, index, record.fields().takeAt(index), std::nullopt};
    m_steps.push_back(std::move(step));
}

void PlanEdit::writeAll(DbId id, Record &record, const std::vector<FieldEntry> &entries) {
    for (const FieldEntry &entry : entries) {
        if (entry.value)
            write(id, record, entry.code, *entry.value, entry.kind);
        else
            removeField(id, record, entry.code);
    }
}

Record &PlanEdit::appendRecord(DbId id) {
    return insertRecord(id, db(id).records().count(), std::make_unique<Record>());
}

Record &PlanEdit::insertRecord(DbId id, int index, std::unique_ptr<Record> record) {
    Records &records = db(id).records();
    index = std::clamp(index, 0, records.count());
    Record *added = record.get();
    records.insert(index, std::move(record)); // throws, adding nothing, when the database is full
    m_steps.emplace_back(RecordStep{id, true, index, added, nullptr});
    // A record filled apart brings fields the database may not list yet.
    for (const Field &field : added->fields())
        addToFieldList(id, field.code(), field.kind());
    return *added;
}

void PlanEdit::removeRecord(DbId id, Record &record) {
    Records &records = db(id).records();
    const int index = records.indexOf(&record);
    if (index < 0)
        return;
    m_steps.emplace_back(RecordStep{id, false, index, &record, records.take(index)});
}

void PlanEdit::removeAllRecords(DbId id) {
    Records &records = db(id).records();
    // From the last, so that every removal is one step at the end.
    for (int i = records.count() - 1; i >= 0; --i)
        m_steps.emplace_back(
            RecordStep{id, false, i, records.raw()[std::size_t(i)].get(), records.take(i)});
}

void PlanEdit::sort(DbId id, FieldCode first, std::optional<FieldCode> second) {
    noteOrder(id, db(id).sort(first, true, second ? second->toString() : QString(), true));
}

void PlanEdit::reorder(DbId id, const std::vector<int> &order) {
    auto &raw = db(id).records().raw();
    if (order.size() != raw.size())
        throw StoreError(QStringLiteral("A new order must name every record once."));
    std::vector<char> taken(raw.size(), 0);
    for (const int from : order) {
        if (from < 0 || std::size_t(from) >= raw.size() || taken[std::size_t(from)]++)
            throw StoreError(QStringLiteral("A new order must name every record once."));
    }
    std::vector<std::unique_ptr<Record>> next;
    next.reserve(raw.size());
    for (const int from : order)
        next.push_back(std::move(raw[std::size_t(from)]));
    raw = std::move(next);
    noteOrder(id, order);
}

void PlanEdit::noteOrder(DbId id, const std::vector<int> &order) {
    // Runs of records that kept their neighbours: a sort after one edit moves one record, and
    // is kept as a handful of runs rather than a place for each record.
    std::vector<std::pair<int, int>> runs;
    for (const int from : order) {
        if (!runs.empty() && runs.back().first + runs.back().second == from)
            ++runs.back().second;
        else
            runs.emplace_back(from, 1);
    }
    if (runs.size() <= 1)
        return; // already in order
    m_steps.emplace_back(OrderStep{id, std::move(runs)});
}

void PlanEdit::undo() {
    for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step)
        apply(*step, false);
}

void PlanEdit::redo() {
    for (Step &step : m_steps)
        apply(step, true);
}

void PlanEdit::apply(Step &step, bool forward) {
    std::visit(
        [this, forward](auto &s) {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, FieldStep>) {
                applyField(s, forward);
            } else if constexpr (std::is_same_v<S, ListStep>) {
                Fields &list = db(s.db).fieldList();
                if (forward)
                    list.add(s.code, s.kind);
                else
                    list.remove(s.code);
            } else if constexpr (std::is_same_v<S, RecordStep>) {
                applyRecord(s, forward);
            } else {
                applyOrder(s, forward);
            }
        },
        step);
}

void PlanEdit::applyField(FieldStep &step, bool forward) {
    const std::optional<Field> &from = forward ? step.before : step.after;
    const std::optional<Field> &to = forward ? step.after : step.before;
    Fields &fields = step.record->fields();
    if (from && to) {
        if (Field *field = fields.find(step.code))
            field->setValue(to->value());
        return;
    }
    if (to) {
        // Back where it stood, unless the record lost fields meanwhile.
        if (!fields.exists(step.code))
            fields.insert(std::min(step.index, fields.count()), *to);
        return;
    }
    int index = step.index;
    if (index < 0 || index >= fields.count() || fields.begin()[index].code() != step.code)
        index = fields.indexOf(step.code);
    if (index >= 0)
        fields.takeAt(index);
}

void PlanEdit::applyRecord(RecordStep &step, bool forward) {
    Records &records = db(step.db).records();
    const bool putIn = step.insert == forward;
    if (putIn) {
        if (step.held)
            records.insert(std::min(step.index, records.count()), std::move(step.held));
        return;
    }
    int index = step.index;
    if (index >= records.count() || records.raw()[std::size_t(index)].get() != step.record)
        index = records.indexOf(step.record);
    if (index >= 0)
        step.held = records.take(index);
}

void PlanEdit::applyOrder(OrderStep &step, bool forward) {
    auto &raw = db(step.db).records().raw();
    std::size_t total = 0;
    for (const auto &run : step.runs)
        total += std::size_t(run.second);
    // A database that gained or lost records outside the history cannot take this order;
    // leaving it as it is loses nothing.
    if (total != raw.size())
        return;
    std::vector<std::unique_ptr<Record>> next(raw.size());
    std::size_t place = 0;
    for (const auto &[start, length] : step.runs) {
        for (int k = 0; k < length; ++k, ++place) {
            if (forward)
                next[place] = std::move(raw[std::size_t(start + k)]);
            else
                next[std::size_t(start + k)] = std::move(raw[place]);
        }
    }
    raw = std::move(next);
}

PlanChange PlanEdit::change() const {
    PlanChange change;
    for (const Step &step : m_steps) {
        if (const auto *r = std::get_if<RecordStep>(&step))
            change.noteRows(r->db);
        else if (const auto *o = std::get_if<OrderStep>(&step))
            change.noteRows(o->db);
    }
    // A list whose rows are rebuilt reads every record again: its records need no listing.
    std::array<std::unordered_set<const Record *>, Schema::kDatabaseCount> seen;
    for (const Step &step : m_steps) {
        const auto *f = std::get_if<FieldStep>(&step);
        if (!f || change.rowsChanged(f->db))
            continue;
        if (seen[std::size_t(f->db)].insert(f->record).second)
            change.noteRecord(f->db, f->record);
    }
    return change;
}

PlanFocus PlanEdit::focus() const {
    PlanFocus focus;
    // A record is out of its database while its step holds it; any other this step touched is
    // in. A record put back (a deletion undone) says most; then one whose fields changed.
    std::unordered_set<const Record *> out;
    for (const Step &step : m_steps) {
        if (const auto *r = std::get_if<RecordStep>(&step)) {
            if (r->held)
                out.insert(r->record);
            else if (!focus.record)
                focus = {r->db, r->record};
        }
    }
    if (focus.record)
        return focus;
    for (const Step &step : m_steps) {
        if (const auto *f = std::get_if<FieldStep>(&step); f && !out.contains(f->record))
            return {f->db, f->record};
    }
    for (const Step &step : m_steps) {
        std::visit([&focus](const auto &s) { focus.db = focus.db ? focus.db : s.db; }, step);
    }
    return focus;
}

bool PlanEdit::absorb(PlanEdit &&later) {
    if (later.m_steps.size() != 1 || later.m_set != m_set)
        return false;
    const auto *next = std::get_if<FieldStep>(&later.m_steps.front());
    if (!next || !next->before || !next->after)
        return false;
    for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step) {
        auto *mine = std::get_if<FieldStep>(&*step);
        if (mine && mine->record == next->record && mine->code == next->code) {
            if (!mine->after || !(mine->after->value() == next->before->value()))
                return false;
            mine->after = next->after;
            return true;
        }
    }
    return false;
}

bool PlanEdit::changesNothing() const {
    for (const Step &step : m_steps) {
        const auto *f = std::get_if<FieldStep>(&step);
        if (!f || !f->before || !f->after || !(f->before->value() == f->after->value()))
            return false;
    }
    return true;
}
