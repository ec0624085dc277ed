#include "schema.h"

namespace Schema {

void defineDetailsRecord(PalmDatabase &plan) {
    for (const FieldDef &f : kDetailsFields)
        plan.fieldList().add(f.code, f.kind);
    Record &details = plan.records().add();
    for (const FieldDef &f : kDetailsFields) {
        Field &field = details.fields().add(f.code, f.kind);
        switch (f.kind) {
        case FieldKind::Text:
            field.setValue(QString());
            break;
        case FieldKind::Boolean:
            field.setValue(false);
            break;
        case FieldKind::Date:
            field.setValue(QDateTime::currentDateTime());
            break;
        case FieldKind::Time:
            break; // start and end times start without a value
        }
    }
}

} // namespace Schema
