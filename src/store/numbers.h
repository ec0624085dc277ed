#pragma once

#include <QString>

// The three number rules every form and report shares, so that a money box, a seat count and
// a report cell all read "12.50abc" the same way.
namespace Numbers {

// The leading decimal number of a text: blanks are skipped, "." is the decimal point and an
// exponent is taken when digits follow it. A text that does not begin with a number is 0.
double numericValue(const QString &text);

// A number taken as a whole number: rounded to the nearest, halves to the even neighbour,
// clamped to the 16-bit range, for the places where a count must never fail.
qint16 clampedInteger(double value);

// General decimal text: no grouping, no trailing zeros, "-" in front of negatives.
QString numberText(double value);

} // namespace Numbers
