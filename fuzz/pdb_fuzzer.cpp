// Feeds arbitrary bytes to the PDB reader. Anything it accepts must write back and read again
// to the same shape; anything else must be refused with StoreError, never a crash.
#include "store/palmdatabase.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::unique_ptr<PalmDatabase> db;
    try {
        db = PalmDatabase::fromBytes(
            QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)),
            QStringLiteral("fuzz.pdb"));
    } catch (const StoreError &) {
        return 0;
    }
    for (const Field &f : db->fieldList())
        db->listValues(f.code(), QStringLiteral("-"));
    if (db->records().count() > 0) {
        const Fields &first = db->records().item(1).fields();
        if (first.count() > 0)
            db->sort(first.begin()->code(), true, QStringLiteral("gnam"), false);
    }
    const QByteArray again = db->toBytes();
    const auto back = PalmDatabase::fromBytes(again, QStringLiteral("again.pdb"));
    if (back->records().count() != db->records().count() ||
        back->fieldList().count() != db->fieldList().count())
        std::abort();
    for (int i = 1; i <= db->records().count(); ++i) {
        if (back->records().item(i).fields().count() != db->records().item(i).fields().count())
            std::abort();
    }
    return 0;
}
