// The exact text's document form, without a widget: one to one, and lengths
// and walks counted in exact characters.
#include "app/document_form.h"

#include <gtest/gtest.h>

TEST(DocumentForm, EveryUnitAndEveryStandInComeBackExactly) {
    QString all;
    for (int u = 0; u < 0x10000; ++u) all.append(QChar(static_cast<char16_t>(u)));
    for (const QString& exact :
         {all, QString::fromUtf16(u"\r\n\r\r\n\n\r\u2028\u2029\uE00D\uE01B\uFE00\uE01B\uFDD0\uFDD1"), QString()}) {
        const QString stored = toDocumentForm(exact);
        ASSERT_EQ(fromDocumentForm(stored), exact);
        ASSERT_EQ(exactLengthOf(stored), exact.size());
        EXPECT_EQ(walkExact(stored, 0, exact.size(), false), stored.size());
    }
    // "a", CR LF (one document position), an escaped U+2028, "b".
    const QString stored = toDocumentForm(QString::fromUtf16(u"a\r\n\u2028b"));
    EXPECT_EQ(stored, QString::fromUtf16(u"a\u2029\uE01B\uFE00b"));
    const qsizetype expected[][2] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 4}, {5, 5}};  // exact count, position
    for (const auto& [count, position] : expected) EXPECT_EQ(walkExact(stored, 0, count, false), position) << count;
    EXPECT_EQ(walkExact(stored, 0, 2, true), 2);  // an end inside CR LF moves past it
    EXPECT_TRUE(isEscapePair(0xE01B, 0xFE05) && !isEscapePair(0xE01B, 0xFE06) && !isEscapePair(0xE00D, 0xFE00));
}
