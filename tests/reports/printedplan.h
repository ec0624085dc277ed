#pragma once

// What the printing tests share: a plan of 300 guests at 30 tables and 40 vendors, and Poppler's
// pdftotext and pdfinfo reading a printed PDF back, independently of whoever wrote it.

#include "reports/reports.h"
#include "store/planset.h"
#include "support/testenv.h"

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <optional>

namespace PrintedPlan {

constexpr int kGuests = 300;
constexpr int kTables = 30;
constexpr int kVendors = 40;

inline const Reports::Context kContext{QLocale(QLocale::English, QLocale::UnitedStates),
                                       QDate(2027, 1, 15)};

inline QString guestName(int i) {
    static const QStringList names = {u"Zoë Ångström"_qs,
                                      u"<b>Ann</b> & Bo"_qs,
                                      u"Émile Zola"_qs,
                                      u"Łukasz Ðorđe"_qs,
                                      u"O'Brien"_qs,
                                      u"Øyvind Berg"_qs,
                                      u"Anne-Marie Dubois-Lefèvre"_qs,
                                      u"Ōtani Ünal"_qs};
    return names[i % names.size()] + QStringLiteral(" (%1)").arg(i, 3, 10, QChar(u'0'));
}

// "007": the number every name and note of guest `i` carries, so none is part of another.
inline QString number(int i) {
    return QStringLiteral("%1").arg(i, 3, 10, QChar(u'0'));
}

// The confirmed vendors' prices and their final payments, in cents.
inline qint64 confirmedSum(qint64 (*cents)(int)) {
    qint64 sum = 0;
    for (int i = 0; i < kVendors; ++i)
        sum += i % 4 != 3 ? cents(i) : 0;
    return sum;
}
inline qint64 confirmedCost() {
    return confirmedSum([](int i) { return (1000 + i * 250) * 100 + 50LL; });
}
inline qint64 finalDue() {
    return confirmedSum([](int i) { return (500 + i) * 100 + 25LL; });
}

// 300 guests at 30 tables (every 25th not seated), with two-line notes and addresses; 40
// vendors with prices, payments and due dates in no particular order.
inline void buildPlan(PlanSet &set) {
    for (const auto &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    for (int t = 1; t <= kTables; ++t)
        addRecord(set.db(Schema::DbId::Tables), {{"ttag", QString::number(t)}, {"maxs", u"12"_qs}});
    for (int i = 0; i < kGuests; ++i) {
        const QString n = number(i);
        Record &r = addRecord(set.db(Schema::DbId::Guest),
                              {{"gnam", guestName(i)},
                               {"gtyp", u"Bride's Family"_qs},
                               {"gadr", u"12 Main Street"_qs},
                               {"gcit", u"Springfield"_qs},
                               {"gsta", u"OH"_qs},
                               {"gzip", u"45501"_qs},
                               {"gpho", u"555-1"_qs + n},
                               {"gcon", i % 3 != 0},
                               {"rsvp", i % 4 == 0 ? QString() : QString::number(i % 4)},
                               {"gnot", u"Note A"_qs + n + u"\nNote B"_qs + n}});
        if (i % 25 != 0)
            set.db(Schema::DbId::Guest).write(r, "gtag", QString::number(i % kTables + 1));
    }
    for (int i = 0; i < kVendors; ++i) {
        Record &r = addRecord(set.db(Schema::DbId::Vendors),
                              {{"vnam", QStringLiteral("Vendor %1").arg(i, 2, 10, QChar(u'0'))},
                               {"vtyp", u"Florist"_qs},
                               {"vcon", i % 4 != 3},
                               {"vcos", QStringLiteral("%1.5").arg(1000 + i * 250)},
                               {"npay", QString::number(100 * (i + 1))},
                               {"vbal", QStringLiteral("%1.25").arg(500 + i)},
                               {"vnot", u"Deliver before noon\nCall first"_qs}});
        // Due dates scattered over the year; every tenth vendor has none.
        if (i % 10 != 9) {
            PalmDatabase &vendors = set.db(Schema::DbId::Vendors);
            vendors.write(r, "ndat", QDateTime(QDate(2027, 1 + (i * 7) % 12, 1), QTime(23, 15, 1)),
                          FieldKind::Date);
            vendors.write(r, "dued", QDateTime(QDate(2027, 1 + (i * 5) % 12, 2), QTime()),
                          FieldKind::Date);
        }
    }
}

// The reason to skip a test that reads PDF files back, or empty when Poppler is there.
inline QString missingPoppler() {
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty() ||
        QStandardPaths::findExecutable(u"pdfinfo"_qs).isEmpty())
        return u"pdftotext and pdfinfo are not installed (apt-get install poppler-utils)"_qs;
    return {};
}

struct Printed {
    QString paperSize;   // as pdfinfo says it
    QStringList layout;  // each page, laid out as printed
    QStringList running; // each page, in reading order, without blanks and line breaks
};

inline QString run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The PDF file at `pdf` as Poppler reads it.
inline std::optional<Printed> readPdf(const QString &pdf) {
    Printed printed;
    const QString info = run(u"pdfinfo"_qs, {pdf});
    printed.paperSize = QRegularExpression(u"Page size:\\s+(.*)"_qs).match(info).captured(1);
    const auto pages = [&pdf](const QString &mode) {
        // Ligatures ("ﬁ") read as their letters; pdftotext ends every page with a form feed.
        QStringList text = run(u"pdftotext"_qs, {mode, pdf, u"-"_qs})
                               .normalized(QString::NormalizationForm_KC)
                               .split(u'\f');
        text.removeLast();
        return text;
    };
    printed.layout = pages(u"-layout"_qs);
    printed.running = pages(u"-raw"_qs);
    // Without blanks: a name wrapped in a narrow column reads as one.
    static const QRegularExpression blanks(u"\\s+"_qs);
    for (QString &text : printed.running)
        text.remove(blanks);
    if (printed.layout.isEmpty() || printed.layout.size() != printed.running.size())
        return std::nullopt;
    return printed;
}

// How often `name` stands in `text` (read without blanks). Every name and note carries a
// number of three digits, so none is part of another.
inline qsizetype occurrences(const QString &text, QString name) {
    name.remove(u' ');
    return text.count(name);
}

// The pages on which `text` stands.
inline QList<int> pagesWith(const QStringList &pages, const QString &text) {
    QList<int> found;
    for (int p = 0; p < pages.size(); ++p) {
        if (occurrences(pages[p], text) > 0)
            found << p;
    }
    return found;
}

// "1,234.50" as cents.
inline qint64 centsOf(QString shown) {
    shown.remove(u',');
    return qRound64(shown.toDouble() * 100);
}

} // namespace PrintedPlan
