#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

class PalmDatabase;
class PlanSet;

// The HTML reports of a plan. Each is built whole in memory from the open set and then
// written in one go, so a report never shows half a plan. Every value is HTML-escaped and the
// files are UTF-8 (declared in the head), so names with accents and "<", "&" print as typed.
// They are made to be printed from a browser: the heading row of a list repeats on every
// page, a row never splits across pages, pages are numbered where the browser can.
namespace Reports {

// What a report is written for: the user's writing of money and dates and order of names,
// and the date it is printed on (shown under the title).
struct Context {
    QLocale locale;
    QDate printed;
    // The user's locale and today.
    static Context now() { return {QLocale(), QDate::currentDate()}; }
};

// The report kinds reuse the editor kind numbers; the seating chart and the budget take the
// next free ones.
enum Kind {
    Details = 0,
    Party = 3,
    Guests = 4,
    Vendors = 5,
    Tasks = 6,
    Payments = 7,
    Seating = 8,
    Budget = 9
};

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
QByteArray detailsReport(const PalmDatabase *plan, const QString &title,
                         const Context &context = Context::now());
QByteArray partyReport(const PalmDatabase *party, const QString &title,
                       const Context &context = Context::now());
// Guests who declined are left out, and counted under the list.
QByteArray guestReport(const PalmDatabase *guests, const QString &title,
                       const Context &context = Context::now());
// With a last row "Total confirmed cost": the prices of the confirmed vendors, in cents.
QByteArray vendorReport(const PalmDatabase *vendors, const QString &title,
                        const Context &context = Context::now());
QByteArray taskReport(const PalmDatabase *tasks, const QString &title,
                      const Context &context = Context::now());
// Pending and final payments in order of their due dates (those without one last), each
// table ending in "Total due".
QByteArray paymentReport(const PalmDatabase *vendors, const QString &title,
                         const Context &context = Context::now());
// Per service and in total: budgeted, committed (the confirmed vendors' prices), paid, still due
// and left; a line over its budget says so in words.
QByteArray budgetReport(const PalmDatabase *vendors, const PalmDatabase *vendorTypes,
                        const PalmDatabase *plan, const QString &title,
                        const Context &context = Context::now());
// Escort list, the guests of each table (several tables to a page) and the chart, in one file
// so it prints as one job. Names are ordered by the locale's collation; a guest takes the
// seats the guest count gives it (one for an empty RSVP).
QByteArray seatingReport(const PalmDatabase *tables, const PalmDatabase *guests,
                         const QString &title, const Context &context = Context::now());

// Appends `text` as UTF-8 with "&", "<", ">" and '"' as entities (in HTML and in SVG alike).
void appendEscaped(QByteArray &out, QStringView text);
// The same, with a "<br>" for each line break, so notes keep their lines.
void appendEscapedLines(QByteArray &out, QStringView text);

// The head every report shares (its title, the print styles and `style`), the title as the
// heading and the date printed under it.
void appendHead(QByteArray &out, const QString &title, const Context &context,
                const char *style = "");

// The report of `kind` over the open set (empty for kinds without a report).
QByteArray reportText(int kind, const PlanSet &set, const QString &title,
                      const Context &context = Context::now());

// Writes `html` over `path`, replacing the file only once it is complete. Throws
// StoreError naming the file and the system's reason.
void writeReportFile(const QString &path, const QByteArray &html);

// Where reports go: the folder of the open set; without one the program folder, or the
// user's data folder when the program folder cannot be written. The folder is created when
// missing (the data folder may not exist yet).
QString reportFolder(const QString &setFolder, const QString &programFolder);

} // namespace Reports
