#include "categorylookup.h"

#include "store/planedit.h"

CategoryList categoryList(CategoryKind kind) {
    switch (kind) {
    case CategoryKind::Relations:
        break;
    case CategoryKind::Timeframes:
        return {Schema::DbId::TimeFrames, Schema::kTimeFrame};
    case CategoryKind::VendorTypes:
        return {Schema::DbId::VenTypes, Schema::kCategoryType};
    }
    return {Schema::DbId::RelTypes, Schema::kCategoryType};
}

std::optional<CategoryList> categoryListNamed(const QString &kind) {
    if (kind.compare(QLatin1String("relation"), Qt::CaseInsensitive) == 0)
        return categoryList(CategoryKind::Relations);
    if (kind.compare(QLatin1String("time"), Qt::CaseInsensitive) == 0)
        return categoryList(CategoryKind::Timeframes);
    if (kind.compare(QLatin1String("vendor"), Qt::CaseInsensitive) == 0)
        return categoryList(CategoryKind::VendorTypes);
    return std::nullopt;
}

QStringList categoryNames(const PlanSet &set, CategoryKind kind) {
    const CategoryList list = categoryList(kind);
    return set.isOpen() ? set.db(list.db).listValues(list.field) : QStringList();
}

void replaceCategoryList(PlanEdit &edit, CategoryKind kind, const QStringList &names) {
    const CategoryList list = categoryList(kind);
    // An unchanged list stays as it is: records keep their places and nothing counts as an
    // edit.
    if (edit.db(list.db).listValues(list.field, QString()) == names &&
        edit.db(list.db).records().count() == names.size())
        return;
    edit.removeAllRecords(list.db);
    for (const QString &name : names)
        edit.write(list.db, edit.appendRecord(list.db), list.field, name);
}

QString categoryLookup(const PlanSet &set, const QString &typed, const QString &kind) {
    if (typed.isEmpty())
        return {};
    const std::optional<CategoryList> list = categoryListNamed(kind);
    if (!list)
        return {};
    try {
        for (const auto &record : set.db(list->db).records().raw()) {
            const QString name = record->text(list->field);
            if (name.startsWith(typed, Qt::CaseInsensitive))
                return name;
        }
    } catch (const StoreError &) {
        // No plan open: nothing to complete with.
    }
    return {};
}
