#include "categorylookup.h"

#include "details.h"
#include "store/planedit.h"

CategoryList categoryList(CategoryKind kind) {
    switch (kind) {
    case CategoryKind::Relations:
        break;
    case CategoryKind::Timeframes:
        return {Schema::DbId::TimeFrames, Schema::kTimeFrame};
    case CategoryKind::VendorTypes:
        return {Schema::DbId::VenTypes, Schema::kCategoryType};
    case CategoryKind::Meals:
        return {Schema::DbId::Plan, Schema::Details::kMeals};
    }
    return {Schema::DbId::RelTypes, Schema::kCategoryType};
}

QStringList defaultMeals() {
    return {QStringLiteral("Meat"), QStringLiteral("Fish"), QStringLiteral("Vegetarian"),
            QStringLiteral("Vegan"), QStringLiteral("Children's meal")};
}

std::optional<CategoryKind> categoryKindNamed(const QString &kind) {
    static const std::pair<const char *, CategoryKind> kinds[] = {
        {"relation", CategoryKind::Relations},
        {"time", CategoryKind::Timeframes},
        {"vendor", CategoryKind::VendorTypes},
        {"meal", CategoryKind::Meals}};
    for (const auto &[name, value] : kinds) {
        if (kind.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

std::optional<CategoryList> categoryListNamed(const QString &kind) {
    const std::optional<CategoryKind> named = categoryKindNamed(kind);
    return named ? std::optional(categoryList(*named)) : std::nullopt;
}

namespace {

QStringList mealNames(const PalmDatabase &plan) {
    const Record *details = DetailsRecord::find(plan);
    const Field *meals = details ? details->fields().find(Schema::Details::kMeals) : nullptr;
    if (!meals)
        return defaultMeals();
    const QString text = meals->value().toText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void replaceMeals(PlanEdit &edit, const QStringList &names) {
    if (names == mealNames(edit.db(Schema::DbId::Plan)))
        return;
    // One name a line: a line break inside a name would make two.
    QStringList lines;
    lines.reserve(names.size());
    for (const QString &name : names) {
        QString line = name;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        lines.append(line);
    }
    edit.write(Schema::DbId::Plan, DetailsRecord::record(edit), Schema::Details::kMeals,
               lines.join(u'\n'));
}

} // namespace

QStringList categoryNames(const PlanSet &set, CategoryKind kind) {
    if (!set.isOpen())
        return {};
    if (kind == CategoryKind::Meals)
        return mealNames(set.db(Schema::DbId::Plan));
    const CategoryList list = categoryList(kind);
    return set.db(list.db).listValues(list.field);
}

void replaceCategoryList(PlanEdit &edit, CategoryKind kind, const QStringList &names,
                         const std::vector<int> &origins) {
    if (kind == CategoryKind::Meals) {
        replaceMeals(edit, names);
        return;
    }
    const CategoryList list = categoryList(kind);
    const PalmDatabase &db = edit.db(list.db);
    // An unchanged list stays as it is: records keep their places and nothing counts as an
    // edit.
    if (db.listValues(list.field, QString()) == names && db.records().count() == names.size())
        return;

    // The fields each record holds beside its name, to go with its line.
    const auto &old = db.records().raw();
    std::vector<std::vector<Field>> others(old.size());
    QStringList oldNames;
    oldNames.reserve(qsizetype(old.size()));
    for (std::size_t i = 0; i < old.size(); ++i) {
        oldNames.append(old[i]->text(list.field));
        for (const Field &f : old[i]->fields()) {
            if (f.code() != list.field)
                others[i].push_back(f);
        }
    }
    std::vector<bool> used(old.size(), false);
    auto originOf = [&](qsizetype line) {
        int from = std::size_t(line) < origins.size() ? origins[std::size_t(line)] : -1;
        if (origins.empty()) {
            for (qsizetype i = 0; i < oldNames.size() && from < 0; ++i) {
                if (!used[std::size_t(i)] && oldNames[i] == names[line])
                    from = int(i);
            }
        }
        if (from < 0 || std::size_t(from) >= old.size() || used[std::size_t(from)])
            return -1;
        used[std::size_t(from)] = true;
        return from;
    };
    std::vector<int> from(std::size_t(names.size()));
    for (qsizetype line = 0; line < names.size(); ++line)
        from[std::size_t(line)] = originOf(line);

    edit.removeAllRecords(list.db);
    for (qsizetype line = 0; line < names.size(); ++line) {
        Record &record = edit.appendRecord(list.db);
        edit.write(list.db, record, list.field, names[line]);
        if (const int origin = from[std::size_t(line)]; origin >= 0) {
            for (const Field &f : others[std::size_t(origin)])
                edit.write(list.db, record, f.code(), f.value(), f.kind());
        }
    }
}

QString categoryLookup(const PlanSet &set, const QString &typed, const QString &kind) {
    if (typed.isEmpty())
        return {};
    const std::optional<CategoryKind> named = categoryKindNamed(kind);
    if (!named)
        return {};
    try {
        if (*named == CategoryKind::Meals) {
            for (const QString &name : categoryNames(set, *named)) {
                if (name.startsWith(typed, Qt::CaseInsensitive))
                    return name;
            }
            return {};
        }
        const CategoryList list = categoryList(*named);
        for (const auto &record : set.db(list.db).records().raw()) {
            const QString name = record->text(list.field);
            if (name.startsWith(typed, Qt::CaseInsensitive))
                return name;
        }
    } catch (const StoreError &) {
        // No plan open: nothing to complete with.
    }
    return {};
}
