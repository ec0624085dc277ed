#include "guestcsv.h"

#include "rules/newrecords.h"
#include "rules/replies.h"
#include "store/planedit.h"

#include <QLocale>
#include <QSet>
#include <QSettings>
#include <algorithm>
#include <optional>

namespace GuestCsv {

namespace {

const QString kSettingsKey = QStringLiteral("Import/GuestColumns");
const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");
const QString kDeclined = QStringLiteral("Declined");

constexpr int index(Column c) {
    return int(c);
}

// The usual titles of each field, as headerKey reduces them.
struct Alias {
    Column column;
    const char *keys; // space-separated
};
const Alias kAliases[] = {
    {Column::Name, "name names fullname guest guestname displayname firstname first givenname "
                   "lastname last surname familyname"},
    {Column::Relation, "relation relationship relationtype relations group side category type"},
    {Column::Address, "address street streetaddress address1 address2 addressline1 addressline2 "
                      "street1 street2 homestreet homeaddress"},
    {Column::City, "city town homecity"},
    {Column::State, "state province region county stateprovince homestate"},
    {Column::Zip, "zip zipcode postcode postalcode postal homepostalcode"},
    {Column::Country, "country countryregion nation homecountry"},
    {Column::Phone, "phone telephone tel phonenumber mobile mobilephone cell cellphone homephone"},
    {Column::Email, "email emailaddress mail email1 emailaddress1"},
    {Column::Rsvp, "rsvp count people persons partysize number numberofguests headcount "
                   "guestcount size seats"},
    {Column::Confirmed, "confirmed status attending confirmation rsvpstatus accepted reply "
                        "replied response rsvpreply rsvpresponse attendance coming"},
    {Column::Gift, "gift gifts present"},
    {Column::Notes, "notes note comments comment remarks memo"},
    {Column::Table, "table tablenumber tableno tablename tableid seating"},
    {Column::ThankYou, "thankyou thankyounote thankyounotesent thankyousent thanked thanks"},
    {Column::Meal, "meal meals mealchoice menu menuchoice entree dinner food"},
    {Column::Diet, "dietarynote dietary diet dietaryneeds dietaryrequirements dietaryrestrictions "
                   "allergies allergy"},
};

const QHash<QString, Column> &aliases() {
    static const QHash<QString, Column> table = [] {
        QHash<QString, Column> t;
        for (const Alias &a : kAliases) {
            for (const QString &key : QString::fromLatin1(a.keys).split(u' '))
                t.insert(key, a.column);
        }
        return t;
    }();
    return table;
}

bool isAscii(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QString withoutAccents(const QString &text) {
    if (isAscii(text))
        return text;
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    }
    return out;
}

bool isBoolean(Column c) {
    return c == Column::Confirmed || c == Column::ThankYou;
}

// Yes-like answers a spreadsheet may hold in a "Confirmed" or "Thank You" column.
bool isYes(const QString &text) {
    static const QStringView yes[] = {u"true",      u"yes",       u"y",        u"1",    u"x",
                                      u"confirmed", u"attending", u"accepted", u"sent", u"✓",
                                      u"✔",         u"ja",        u"oui",      u"si",   u"sí"};
    const QStringView t = QStringView(text).trimmed();
    return !t.isEmpty() && std::any_of(std::begin(yes), std::end(yes), [t](QStringView word) {
        return t.compare(word, Qt::CaseInsensitive) == 0;
    });
}

// No-like answers: the guest declined. "False" is not among them: it is what an export writes
// for a guest who has not replied.
bool isNo(const QString &text) {
    static const QStringView no[] = {u"no",           u"n",          u"declined",
                                     u"decline",      u"declines",   u"regrets",
                                     u"regret",       u"regretted",  u"not attending",
                                     u"notattending", u"not coming", u"cannot attend",
                                     u"can't attend", u"✗",          u"✘",
                                     u"nein",         u"abgesagt",   u"absage",
                                     u"non",          u"décliné",    u"refusé",
                                     u"nee",          u"nej",        u"não",
                                     u"nao"};
    const QStringView t = QStringView(text).trimmed();
    return !t.isEmpty() && std::any_of(std::begin(no), std::end(no), [t](QStringView word) {
        return t.compare(word, Qt::CaseInsensitive) == 0;
    });
}

QString emailKey(const QString &email) {
    const QStringView trimmed = QStringView(email).trimmed();
    return isAscii(trimmed) ? trimmed.toString().toLower() : trimmed.toString().toCaseFolded();
}

// Values a spreadsheet would change or run are written as spreadsheet text, whatever their
// length: ZIP codes of digits (leading zeros), and anything that starts like a formula,
// including a tab or a carriage return before one.
QString exportValue(const QString &value, bool zip) {
    if (value.isEmpty())
        return value;
    const QChar first = value.front();
    bool digits = zip;
    for (QChar c : value)
        digits = digits && c.isDigit();
    if (digits || first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
        first == u'\t' || first == u'\r')
        return Csv::asSpreadsheetText(value);
    return value;
}

QByteArray utf8WithMark(const QString &text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace

const std::array<FieldInfo, kFieldCount> &fields() {
    static const std::array<FieldInfo, kFieldCount> table{{
        {Column::Name, "gnam", "Name"},
        {Column::Relation, "gtyp", "Relation"},
        {Column::Address, "gadr", "Address"},
        {Column::City, "gcit", "City"},
        {Column::State, "gsta", "State"},
        {Column::Zip, "gzip", "ZIP"},
        {Column::Country, "gctr", "Country"},
        {Column::Phone, "gpho", "Phone"},
        {Column::Email, "gcos", "E-Mail"},
        {Column::Rsvp, "rsvp", "RSVP"},
        {Column::Confirmed, "gcon", "Confirmed"},
        {Column::Gift, "gift", "Gift"},
        {Column::Notes, "gnot", "Notes"},
        {Column::Table, "gtag", "Table"},
        {Column::ThankYou, "tnku", "Thank You"},
        {Column::Meal, "gmea", "Meal"},
        {Column::Diet, "gdie", "Dietary Note"},
    }};
    return table;
}

QString title(Column column) {
    if (column == Column::Ignore)
        return QStringLiteral("(not imported)");
    return QString::fromLatin1(fields()[std::size_t(index(column))].title);
}

QString headerKey(const QString &header) {
    QString key;
    for (QChar c : withoutAccents(header).toCaseFolded()) {
        if (c.isLetterOrNumber())
            key += c;
    }
    return key;
}

Mapping guessMapping(const QStringList &header, const QHash<QString, Column> &remembered) {
    Mapping mapping;
    QSet<int> taken;
    for (const QString &h : header) {
        const QString key = headerKey(h);
        Column column = Column::Ignore;
        if (auto r = remembered.constFind(key); r != remembered.constEnd())
            column = *r;
        else if (auto a = aliases().constFind(key); a != aliases().constEnd())
            column = *a;
        const bool joins = column == Column::Name || column == Column::Address;
        if (column != Column::Ignore && taken.contains(index(column)) && !joins)
            column = Column::Ignore;
        if (column != Column::Ignore)
            taken.insert(index(column));
        mapping.append(column);
    }
    return mapping;
}

namespace {

// A remembered choice is stored as the field's code, "none" for a column not imported. Older
// versions stored the number of the field in the list of their day, which ended with Notes.
constexpr int kOldIgnore = 13;
const QString kNotImported = QStringLiteral("none");

std::optional<Column> storedColumn(const QString &text) {
    bool number = false;
    const int old = text.toInt(&number);
    if (number) {
        if (old >= 0 && old < kOldIgnore)
            return Column(old);
        if (old == kOldIgnore)
            return Column::Ignore;
        return std::nullopt;
    }
    if (text == kNotImported)
        return Column::Ignore;
    for (const FieldInfo &f : fields()) {
        if (f.code.toString() == text)
            return f.column;
    }
    return std::nullopt;
}

QString storedText(Column column) {
    if (column == Column::Ignore)
        return kNotImported;
    return fields()[std::size_t(index(column))].code.toString();
}

} // namespace

QHash<QString, Column> rememberedMapping() {
    QHash<QString, Column> result;
    const QStringList entries = QSettings().value(kSettingsKey).toStringList();
    for (const QString &entry : entries) {
        const qsizetype eq = entry.lastIndexOf(u'=');
        if (eq <= 0)
            continue;
        if (const auto column = storedColumn(entry.mid(eq + 1)))
            result.insert(entry.left(eq), *column);
    }
    return result;
}

void rememberMapping(const QStringList &header, const Mapping &mapping) {
    // Earlier choices for headers this file lacks are kept.
    QHash<QString, Column> all = rememberedMapping();
    for (qsizetype i = 0; i < header.size() && i < mapping.size(); ++i) {
        const QString key = headerKey(header[i]);
        if (!key.isEmpty())
            all.insert(key, mapping[i]);
    }
    QStringList entries;
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        entries.append(it.key() + u'=' + storedText(it.value()));
    entries.sort();
    QSettings().setValue(kSettingsKey, entries);
}

namespace {

// The letter without its accent for every character below U+0250 (Latin-1 and Latin Extended),
// worked out once from the characters' decompositions, so that most names need no Unicode
// normalisation at all.
constexpr char16_t kLatinEnd = 0x250;
const std::array<char16_t, kLatinEnd> &latinBase() {
    static const std::array<char16_t, kLatinEnd> table = [] {
        std::array<char16_t, kLatinEnd> t{};
        for (char16_t c = 0; c < kLatinEnd; ++c) {
            const QString plain = withoutAccents(QString(QChar(c)));
            t[c] = plain.size() == 1 ? plain[0].unicode() : c;
        }
        return t;
    }();
    return table;
}

// Folds case and collapses blanks in one pass.
QString foldName(const QString &plain) {
    QString key;
    key.reserve(plain.size());
    bool blank = false;
    for (QChar c : plain) {
        if (c.isSpace()) {
            blank = !key.isEmpty();
            continue;
        }
        if (blank)
            key += u' ';
        blank = false;
        key += c.toCaseFolded();
    }
    return key;
}

} // namespace

QString replyValue(const QString &cell) {
    if (cell == kTrue || cell == kFalse || cell == kDeclined)
        return cell;
    return isYes(cell) ? kTrue : isNo(cell) ? kDeclined : kFalse;
}

QString nameKey(const QString &name) {
    for (QChar c : name) {
        if (c.unicode() >= kLatinEnd)
            return foldName(withoutAccents(name));
    }
    QString plain = name;
    const auto &base = latinBase();
    for (QChar &c : plain)
        c = QChar(base[c.unicode()]);
    return foldName(plain);
}

QString countOf(qsizetype n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(QLocale().toString(n), QLatin1String(n == 1 ? one : many));
}

QString describe(const Skip &skip) {
    switch (skip.reason) {
    case SkipReason::NoName:
        return QStringLiteral("Row %1: no name").arg(skip.row);
    }
    return {};
}

QString describe(const Duplicate &d, const Guest &guest) {
    const QString name = guest.values[index(Column::Name)];
    const QString how = d.sameEmail ? QStringLiteral("same e-mail") : QStringLiteral("same name");
    if (d.existingRecord > 0) {
        return QStringLiteral("Row %1: %2 looks like the guest %3 (%4)")
            .arg(guest.row)
            .arg(name, d.otherName, how);
    }
    return QStringLiteral("Row %1: %2 looks like %3 in row %4 (%5)")
        .arg(guest.row)
        .arg(name, d.otherName)
        .arg(d.earlierRow)
        .arg(how);
}

Plan analyse(const Csv::Table &table, const Mapping &mapping, const PalmDatabase &guests,
             const QStringList &relationNames, const QStringList &mealNames) {
    Plan plan;
    plan.existing = guests.records().count();
    for (Column c : mapping)
        plan.nameMapped = plan.nameMapped || c == Column::Name;

    // What is in the plan already.
    QHash<QString, int> existingNames, existingEmails;
    const auto &records = guests.records().raw();
    existingNames.reserve(qsizetype(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int number = int(i) + 1;
        const QString name = nameKey(records[i]->text("gnam"));
        if (!name.isEmpty())
            existingNames.insert(name, number);
        const QString email = emailKey(records[i]->text("gcos"));
        if (!email.isEmpty())
            existingEmails.insert(email, number);
    }
    QHash<QString, QString> knownMeals; // case-folded -> the list's own spelling
    for (const QString &m : mealNames)
        knownMeals.insert(m.trimmed().toCaseFolded(), m);
    QHash<QString, QString> knownRelations; // case-folded -> the list's own spelling
    for (const QString &r : relationNames)
        knownRelations.insert(r.trimmed().toCaseFolded(), r);

    QString lastRelation, lastSpelling, lastName, lastNameKey, lastEmail, lastEmailKey;
    QHash<QString, int> fileNames, fileEmails; // key -> index into plan.guests, plus one
    int *nameSlot = nullptr;                   // the slots of the last row's keys
    int *emailSlot = nullptr;
    fileNames.reserve(table.rows.size());
    fileEmails.reserve(table.rows.size());
    plan.guests.reserve(std::size_t(table.rows.size()));
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList &cells = table.rows[r];
        Guest guest;
        guest.row = r < table.rowNumbers.size() ? table.rowNumbers[r] : int(r) + 2;
        for (qsizetype c = 0; c < cells.size() && c < mapping.size(); ++c) {
            if (mapping[c] == Column::Ignore)
                continue;
            QString &value = guest.values[std::size_t(index(mapping[c]))];
            const QString cell = Csv::fromSpreadsheetText(cells[c]);
            if (value.trimmed().isEmpty())
                value = cell;
            else if (!cell.trimmed().isEmpty())
                value = value.trimmed() + u' ' + cell.trimmed();
        }
        QString &name = guest.values[index(Column::Name)];
        if (name.trimmed().isEmpty()) {
            plan.skipped.push_back({guest.row, SkipReason::NoName});
            continue;
        }
        QString &reply = guest.values[index(Column::Confirmed)];
        reply = replyValue(reply);
        QString &thanked = guest.values[index(Column::ThankYou)];
        thanked = isYes(thanked) ? kTrue : kFalse;
        if (QString &meal = guest.values[index(Column::Meal)]; !meal.isEmpty()) {
            const auto known = knownMeals.constFind(meal.trimmed().toCaseFolded());
            if (known != knownMeals.constEnd())
                meal = *known; // the list's spelling, so the meal filter and counts find it
        }

        QString &relation = guest.values[index(Column::Relation)];
        if (relation == lastRelation) {
            relation = lastSpelling; // most rows repeat the relation of the row before
        } else if (!relation.trimmed().isEmpty()) {
            lastRelation = relation;
            const QString folded = relation.trimmed().toCaseFolded();
            if (auto known = knownRelations.constFind(folded); known != knownRelations.constEnd()) {
                relation = *known; // the list's spelling, so the relation filter finds the guest
            } else {
                knownRelations.insert(folded, relation);
                plan.newRelations.append(relation);
            }
            lastSpelling = relation;
        }

        const int at = int(plan.guests.size());
        // One look-up per key in the file's tables, and none when a row repeats the name or
        // e-mail of the row before: its slot is still valid, as nothing was added since.
        if (name != lastName || !nameSlot) {
            lastName = name;
            lastNameKey = nameKey(name);
            nameSlot = &fileNames[lastNameKey];
        }
        if (const QString &email = guest.values[index(Column::Email)]; email != lastEmail) {
            lastEmail = email;
            lastEmailKey = emailKey(email);
            emailSlot = lastEmailKey.isEmpty() ? nullptr : &fileEmails[lastEmailKey];
        }
        const QString &nkey = lastNameKey;
        const QString &ekey = lastEmailKey;
        int &sameName = *nameSlot;
        int *sameEmail = emailSlot;
        Duplicate dup;
        dup.guest = at;
        bool found = true;
        if (auto e = existingNames.constFind(nkey); e != existingNames.constEnd()) {
            dup.existingRecord = *e;
        } else if (auto m =
                       ekey.isEmpty() ? existingEmails.constEnd() : existingEmails.constFind(ekey);
                   m != existingEmails.constEnd()) {
            dup.existingRecord = *m;
            dup.sameEmail = true;
        } else if (const int earlier = sameName > 0 ? sameName
                                       : sameEmail  ? *sameEmail
                                                    : 0;
                   earlier > 0) {
            const Guest &other = plan.guests[std::size_t(earlier - 1)];
            dup.earlierRow = other.row;
            dup.otherName = other.values[index(Column::Name)];
            dup.sameEmail = sameName == 0;
        } else {
            found = false;
        }
        if (dup.existingRecord > 0)
            dup.otherName = guests.records().item(dup.existingRecord).text("gnam");
        if (found)
            plan.duplicates.push_back(dup);
        sameName = at + 1; // a later row is compared with the latest of its name
        if (sameEmail && *sameEmail == 0)
            *sameEmail = at + 1;
        plan.guests.push_back(std::move(guest));
    }
    return plan;
}

namespace {

std::vector<bool> leftOut(const Plan &plan, const Choices &choices) {
    std::vector<bool> out(plan.guests.size(), false);
    for (std::size_t d = 0; d < plan.duplicates.size(); ++d) {
        const bool add = d < choices.addDuplicate.size() && choices.addDuplicate[d];
        if (!add)
            out[std::size_t(plan.duplicates[d].guest)] = true;
    }
    return out;
}

} // namespace

int countToAdd(const Plan &plan, const Choices &choices) {
    const std::vector<bool> out = leftOut(plan, choices);
    return int(std::count(out.begin(), out.end(), false));
}

int apply(const Plan &plan, const Choices &choices, PlanEdit &edit) {
    using Schema::DbId;
    const std::vector<bool> out = leftOut(plan, choices);
    const int adding = int(std::count(out.begin(), out.end(), false));
    const int existing = edit.db(DbId::Guest).records().count();
    if (existing + adding > kMaxGuests) {
        const QLocale c(QLocale::English); // "65,535", as the program writes it everywhere
        throw StoreError(
            QStringLiteral("The guest list holds at most %1 guests.  It has %2 "
                           "already, so %3 more cannot be added.")
                .arg(c.toString(kMaxGuests), c.toString(existing), c.toString(adding)));
    }
    if (adding == 0)
        return 0;
    if (choices.addRelations) {
        const QSet<QString> used = [&] {
            QSet<QString> s;
            for (std::size_t g = 0; g < plan.guests.size(); ++g) {
                if (!out[g])
                    s.insert(plan.guests[g].values[index(Column::Relation)]);
            }
            return s;
        }();
        for (const QString &relation : plan.newRelations) {
            if (used.contains(relation) && edit.db(DbId::RelTypes).records().count() < kMaxGuests)
                edit.write(DbId::RelTypes, edit.appendRecord(DbId::RelTypes), Schema::kCategoryType,
                           relation);
        }
    }
    edit.db(DbId::Guest).records().reserve(existing + adding);
    for (std::size_t g = 0; g < plan.guests.size(); ++g) {
        if (out[g])
            continue;
        const Guest &guest = plan.guests[g];
        // What "Add Person" gives a new guest (not seated, no thank-you yet), then the row.
        std::unique_ptr<Record> record = NewRecords::guest(QString(), false);
        for (const FieldInfo &f : fields()) {
            const QString &value = guest.values[std::size_t(index(f.column))];
            // The desktop's own fields are left out while they hold nothing.
            if (value.isEmpty() && (f.column == Column::Meal || f.column == Column::Diet))
                continue;
            Field &field = record->fields().add(f.code, isBoolean(f.column) ? FieldKind::Boolean
                                                                            : FieldKind::Text);
            if (isBoolean(f.column))
                field.setValue(value == kTrue);
            else
                field.setValue(value);
        }
        // Declined beside gcon false: the handheld sees a guest who has not confirmed.
        if (guest.values[index(Column::Confirmed)] == kDeclined)
            record->fields()
                .add(Schema::Guest::kDeclined, FieldKind::Boolean)
                .setValue(FieldValue(true));
        // Like "Add Person", new guests go to the end; saving sorts the list by name.
        edit.insertRecord(DbId::Guest, edit.db(DbId::Guest).records().count(), std::move(record));
    }
    return adding;
}

QByteArray exportGuests(const PalmDatabase &guests, Form form, int *rows) {
    QString text;
    int count = 0;
    if (form == Form::AllFields) {
        QStringList header;
        for (const FieldInfo &f : fields())
            header.append(QString::fromLatin1(f.title));
        Csv::appendRow(text, header);
        QStringList row;
        for (const auto &record : guests.records().raw()) {
            row.clear();
            for (const FieldInfo &f : fields()) {
                if (f.column == Column::Confirmed) {
                    const Replies::Reply reply = Replies::replyOf(*record);
                    row.append(reply == Replies::Reply::Confirmed  ? kTrue
                               : reply == Replies::Reply::Declined ? kDeclined
                                                                   : kFalse);
                    continue;
                }
                if (isBoolean(f.column)) {
                    row.append(record->value(f.code).toBool() ? kTrue : kFalse);
                    continue;
                }
                const QString value = record->text(f.code);
                if (value.size() > Csv::kMaxFieldChars) {
                    throw StoreError(
                        QStringLiteral("The guest %1 has more than %2 characters in %3, which "
                                       "the import cannot read back.  Shorten the value, then "
                                       "export again.")
                            .arg(record->text("gnam").left(80),
                                 QLocale(QLocale::English).toString(Csv::kMaxFieldChars),
                                 QString::fromLatin1(f.title)));
                }
                row.append(exportValue(value, f.column == Column::Zip));
            }
            Csv::appendRow(text, row);
            ++count;
        }
    } else {
        Csv::appendRow(text, {QStringLiteral("Name"), QStringLiteral("Street"),
                              QStringLiteral("City, State ZIP"), QStringLiteral("Country")});
        for (const auto &record : guests.records().raw()) {
            if (!record->value("gcon").toBool())
                continue;
            const QString city = record->text("gcit").trimmed();
            QStringList stateZip{record->text("gsta").trimmed(), record->text("gzip").trimmed()};
            stateZip.removeAll(QString());
            QStringList cityLine{city, stateZip.join(u' ')};
            cityLine.removeAll(QString());
            Csv::appendRow(text, {exportValue(record->text("gnam"), false),
                                  exportValue(record->text("gadr"), false),
                                  exportValue(cityLine.join(QStringLiteral(", ")), false),
                                  exportValue(record->text("gctr"), false)});
            ++count;
        }
    }
    if (rows)
        *rows = count;
    return utf8WithMark(text);
}

} // namespace GuestCsv
