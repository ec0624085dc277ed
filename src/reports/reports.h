#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

class PalmDatabase;
class PlanSet;

// The HTML reports of a plan. Each is built whole in memory from the open set and then
// written in one go, so a report never shows half a plan. Every value is HTML-escaped and the
// files are UTF-8 (declared in the head), so names with accents and "<", "&" print as typed.
namespace Reports {

// The report kinds reuse the editor kind numbers; the seating chart takes the next free one.
enum Kind { Details = 0, Party = 3, Guests = 4, Vendors = 5, Tasks = 6, Payments = 7, Seating = 8 };

struct Info {
    Kind kind;
    QString fileName;    // inside the report folder
    QString titlePrefix; // followed by the plan's name
    QString reportName;  // for the failure message: "... completing the <name>."
};

// The report of an editor kind; null for kinds that have no report.
const Info *info(int kind);

// The text of each report in UTF-8, every line ending in CR LF. A null database counts as
// empty.
QByteArray detailsReport(const PalmDatabase *plan, const QString &title);
QByteArray partyReport(const PalmDatabase *party, const QString &title);
QByteArray guestReport(const PalmDatabase *guests, const QString &title);
QByteArray vendorReport(const PalmDatabase *vendors, const QString &title);
QByteArray taskReport(const PalmDatabase *tasks, const QString &title);
QByteArray paymentReport(const PalmDatabase *vendors, const QString &title);
// Escort list, one page per table and the chart, in one file so it prints as one job. Names
// are ordered by `locale`'s collation.
QByteArray seatingReport(const PalmDatabase *tables, const PalmDatabase *guests,
                         const QString &title, const QLocale &locale = QLocale());

// Appends `text` as UTF-8 with "&", "<", ">" and '"' as entities (in HTML and in SVG alike).
void appendEscaped(QByteArray &out, QStringView text);

// The report of `kind` over the open set (empty for kinds without a report).
QByteArray reportText(int kind, const PlanSet &set, const QString &title);

// Writes `html` over `path`, replacing the file only once it is complete. Throws
// StoreError naming the file and the system's reason.
void writeReportFile(const QString &path, const QByteArray &html);

// The writers by report: build from the open set and write. Throw StoreError on failure.
void WriteDetailsReport(const PlanSet &set, const QString &path, const QString &title);
void WritePartyReport(const PlanSet &set, const QString &path, const QString &title);
void WriteGuestReport(const PlanSet &set, const QString &path, const QString &title);
void WriteVendorReport(const PlanSet &set, const QString &path, const QString &title);
void WriteTaskReport(const PlanSet &set, const QString &path, const QString &title);
void WritePaymentReport(const PlanSet &set, const QString &path, const QString &title);

// Where reports go: the folder of the open set; without one the program folder, or the
// user's data folder when the program folder cannot be written. The folder is created when
// missing (the data folder may not exist yet).
QString reportFolder(const QString &setFolder, const QString &programFolder);

} // namespace Reports
