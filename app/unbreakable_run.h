#pragma once

#include <QStringView>

// Whether `text` has more than `longest` characters in a row among which Qt's
// line breaker finds no place to break a line: no blank it may break at and
// no break opportunity of the Unicode line-breaking rules (a pasted key,
// link or attachment text with no line ends). Costs time linear in the text.
bool hasUnbreakableRun(QStringView text, qsizetype longest);
