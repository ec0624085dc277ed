#pragma once

#include "planset.h"

#include <array>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// A field as a form leaves it: a value to write, or none for a field to remove.
struct FieldEntry {
    FieldCode code;
    std::optional<FieldValue> value;
    FieldKind kind = FieldKind::Text;
};

// What a change touched, database by database: whether records came, went or moved (the
// lists rebuild their rows then), and which records had fields written (those rows alone
// are read again).
class PlanChange {
public:
    bool touches(Schema::DbId id) const { return at(id).rows || !at(id).records.empty(); }
    bool rowsChanged(Schema::DbId id) const { return at(id).rows; }
    // The records whose fields changed, each once, in the order they were first touched.
    const std::vector<const Record *> &records(Schema::DbId id) const { return at(id).records; }

    void noteRows(Schema::DbId id) { at(id).rows = true; }
    void noteRecord(Schema::DbId id, const Record *record);
    void merge(const PlanChange &other);

private:
    struct Db {
        bool rows = false;
        std::vector<const Record *> records;
    };
    Db &at(Schema::DbId id) { return m_dbs[std::size_t(id)]; }
    const Db &at(Schema::DbId id) const { return m_dbs[std::size_t(id)]; }
    std::array<Db, Schema::kDatabaseCount> m_dbs;
};

// Where a step shows in the window after it was undone or made again: the first record it
// added back or whose fields it changed that is in its database now, or only the database.
struct PlanFocus {
    std::optional<Schema::DbId> db;
    const Record *record = nullptr;
};

// One step of change to the open plan, recorded while it is made so that it can be taken back
// and made again exactly: the fields written or removed (and where they stood), the records
// added, removed or reordered, and the entries added to a database's field list. After a load
// every change of a plan's records goes through one of these; the undo history keeps them.
//
// A step keeps only what it needs to go back: the old and new values of the fields it touched,
// the records it removed, and the reorderings as runs of places. Records are held by identity,
// so the program's own reorderings in between (the sort before every save) do not send a step
// to the wrong record.
class PlanEdit {
public:
    explicit PlanEdit(PlanSet &set);
    PlanEdit(PlanEdit &&) noexcept;
    PlanEdit &operator=(PlanEdit &&) noexcept;
    ~PlanEdit();

    PlanSet &set() { return *m_set; }
    PalmDatabase &db(Schema::DbId id) { return m_set->db(id); }

    // Writes a value, adding the field (to the field list, then to the record) when the
    // record lacks it. Writing the value a field already holds changes nothing.
    void write(Schema::DbId id, Record &record, FieldCode code, FieldValue value,
               FieldKind kind = FieldKind::Text);
    // Adds the field without a value when the record lacks it.
    void ensureField(Schema::DbId id, Record &record, FieldCode code,
                     FieldKind kind = FieldKind::Text);
    // Adds the field, empty (an empty text, or false), when the record lacks it: as a form
    // shows a missing field and would write it back.
    void addEmptyField(Schema::DbId id, Record &record, FieldCode code,
                       FieldKind kind = FieldKind::Text);
    void removeField(Schema::DbId id, Record &record, FieldCode code);
    // Writes (or removes) the fields in order.
    void writeAll(Schema::DbId id, Record &record, const std::vector<FieldEntry> &entries);
    // Adds the code to the database's field list when it lacks it.
    void listField(Schema::DbId id, FieldCode code, FieldKind kind = FieldKind::Text) {
        addToFieldList(id, code, kind);
    }
    // Appends an empty record (StoreError when the database is full).
    Record &appendRecord(Schema::DbId id);
    // Puts a record made apart (a new one filled in an editor) at a 0-based place; its fields
    // join the database's field list.
    Record &insertRecord(Schema::DbId id, int index, std::unique_ptr<Record> record);
    void removeRecord(Schema::DbId id, Record &record);
    void removeAllRecords(Schema::DbId id);
    // The database's sort (see PalmDatabase::sort).
    void sort(Schema::DbId id, FieldCode first, std::optional<FieldCode> second = std::nullopt);
    // Puts the records in another order: the record at place i goes to where order[i] says it
    // came from (order holds every place 0 to count - 1 once).
    void reorder(Schema::DbId id, const std::vector<int> &order);

    bool isEmpty() const { return m_steps.empty(); }
    // Takes the whole step back, last change first, and makes it again.
    void undo();
    void redo();
    // What the step touches.
    PlanChange change() const;
    // Where it shows now.
    PlanFocus focus() const;

    // Folds `later`, a write of one field that this step also wrote, into this step (typing
    // in one box makes one step). False, and nothing changes, when `later` is anything else.
    bool absorb(PlanEdit &&later);
    // True when the step, applied, leaves everything as it was (typing undone by hand).
    bool changesNothing() const;

private:
    struct FieldStep {
        Schema::DbId db;
        Record *record;
        FieldCode code;
        int index; // where the field was added or removed
        std::optional<Field> before;
        std::optional<Field> after;
    };
    struct ListStep { // a code appended to a database's field list
        Schema::DbId db;
        FieldCode code;
        FieldKind kind;
    };
    struct RecordStep { // a record inserted (or, with `insert` false, removed) at `index`
        Schema::DbId db;
        bool insert;
        int index;
        Record *record;
        std::unique_ptr<Record> held; // the record while it is out of the database
    };
    struct OrderStep { // the database's records reordered: runs of their former places
        Schema::DbId db;
        std::vector<std::pair<int, int>> runs; // (first former place, length)
    };
    using Step = std::variant<FieldStep, ListStep, RecordStep, OrderStep>;

    void addToFieldList(Schema::DbId id, FieldCode code, FieldKind kind);
    // Keeps an order the database has just taken (`order` as reorder() takes it).
    void noteOrder(Schema::DbId id, const std::vector<int> &order);
    void apply(Step &step, bool forward);
    void applyField(FieldStep &step, bool forward);
    void applyRecord(RecordStep &step, bool forward);
    void applyOrder(OrderStep &step, bool forward);

    PlanSet *m_set;
    std::vector<Step> m_steps;
};
