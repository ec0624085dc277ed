#pragma once

#include <QString>
#include <QStringView>

// Finding a text the way people look for names: ignoring letter case and accents ("zoe" finds
// "Zoë", "EMILE" finds "Émile"), literally (no character has a meaning of its own), and fast
// enough to run over every field of 65,535 records at each keystroke.
namespace TextMatch {

// One character without its accent, in lower case. Characters that are accents on their own
// (combining marks) fold to 0.
char16_t fold(QChar c);
// A whole text folded, accents dropped.
QString folded(QStringView text);
// Whether `text` holds `needle`, which is folded already.
bool contains(QStringView text, QStringView needle);

} // namespace TextMatch
