#pragma once

#include <QString>

// How the exact text is kept in the document.
//
// QTextDocument turns CR, LF, CRLF, U+2029, U+FDD0 and U+FDD1 into block
// separators when text is inserted; every other 16-bit unit (NUL and lone
// surrogates included) is stored as it is. So the document holds a stand-in
// form of the exact text, converted one to one in both directions:
//
//   exact text            document
//   CR LF                 U+2029, the block separator (what Enter inserts)
//   LF alone              U+2028, shown as a line break
//   CR alone              U+E00D
//   U+2028                U+E01B U+FE00
//   U+2029                U+E01B U+FE01
//   U+E00D                U+E01B U+FE02
//   U+E01B                U+E01B U+FE03
//   U+FDD0                U+E01B U+FE04
//   U+FDD1                U+E01B U+FE05
//   anything else         itself
//
// U+E01B (private use) escapes the characters that would collide with a
// stand-in or that the document cannot hold. The escaped character is named
// by a variation selector: it takes no room on screen, and the pair is one
// grapheme cluster, so the caret, mouse, word moves, line wrapping and Delete
// never split it. Backspace, which Qt lets take a cluster apart, is handled
// here. An escape not followed by one of the six selectors (it cannot arise
// from this class, only from foreign edits of the document) reads as itself.
//
// Positions: a CRLF pair is one document position, so an exact position
// between its CR and LF does not exist; a document position between an
// escape and its selector does not exist either. Both are moved to the start
// of their pair, except the end of a selection given by SelLength, which is
// moved past the CRLF so that the selection covers what was asked for.
//

// The exact text in its document form, and back.
QString toDocumentForm(const QString& exact);
QString fromDocumentForm(const QString& stored);

// Whether any character of the exact text has a document form other than itself.
bool anyStoredAsOther(const QString& exact);

// Whether the two document units are an escape and its selector: one
// exact character, never to be split.
bool isEscapePair(char16_t first, char16_t second);

// Number of exact characters that a stored span stands for. The span must
// start and end outside escape pairs.
qsizetype exactLengthOf(const QString& stored);

// The document position reached by walking `count` exact characters forward
// from document position `from`, stopping at the end. A count that ends
// between the CR and LF of a pair stops before the pair, or after it when
// roundUp is set.
qsizetype walkExact(const QString& stored, qsizetype from, qsizetype count, bool roundUp);
