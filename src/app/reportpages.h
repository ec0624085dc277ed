#pragma once

#include "printdocument.h"

#include <QByteArray>

// The HTML reports as the program prints them. The report's own text is read into pages, so
// that the program and a browser print one and the same report: its heading rows, totals,
// money, addresses and dates as the report writers made them.
//
// The reader knows the markup the report writers use (headings, paragraphs, tables with a
// thead, the seating report's sections, table blocks and chart sheets in SVG) and how their
// print styles set it: the table of each seating table kept in one column of two, every
// section of the seating report and every chart sheet on a new page. Anything else it skips.
namespace ReportPages {

Print::Document fromHtml(const QByteArray &html);

} // namespace ReportPages
