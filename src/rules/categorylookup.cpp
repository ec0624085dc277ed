#include "categorylookup.h"

#include "store/planset.h"

std::optional<CategoryList> categoryListOfKind(int kind) {
    switch (kind) {
    case 0:
        return CategoryList{Schema::DbId::RelTypes, Schema::kCategoryType};
    case 1:
        return CategoryList{Schema::DbId::TimeFrames, Schema::kTimeFrame};
    case 2:
        return CategoryList{Schema::DbId::VenTypes, Schema::kCategoryType};
    default:
        return std::nullopt;
    }
}

std::optional<CategoryList> categoryListNamed(const QString &kind) {
    if (kind.compare(QLatin1String("relation"), Qt::CaseInsensitive) == 0)
        return categoryListOfKind(0);
    if (kind.compare(QLatin1String("time"), Qt::CaseInsensitive) == 0)
        return categoryListOfKind(1);
    if (kind.compare(QLatin1String("vendor"), Qt::CaseInsensitive) == 0)
        return categoryListOfKind(2);
    return std::nullopt;
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
