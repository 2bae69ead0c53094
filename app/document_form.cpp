#include "app/document_form.h"

#include <algorithm>
#include <array>

namespace {

constexpr char16_t kCrLf = 0x2029;  // QChar::ParagraphSeparator
constexpr char16_t kLf = 0x2028;    // QChar::LineSeparator
constexpr char16_t kCr = 0xE00D;
constexpr char16_t kEscape = 0xE01B;
constexpr char16_t kFirstSelector = 0xFE00;
constexpr std::array<char16_t, 6> kEscaped = {0x2028, 0x2029, 0xE00D, 0xE01B, 0xFDD0, 0xFDD1};

bool isSelector(char16_t c) { return c >= kFirstSelector && c < kFirstSelector + kEscaped.size(); }

// The selector that names c, or 0 when c needs no escape.
char16_t selectorFor(char16_t c) {
    const auto found = std::find(kEscaped.begin(), kEscaped.end(), c);
    if (found == kEscaped.end()) return 0;
    return static_cast<char16_t>(kFirstSelector + (found - kEscaped.begin()));
}

// True for the units whose stored form differs from themselves. Everything
// below U+2028 except CR and LF is stored unchanged: the common case.
bool storedAsOther(char16_t c) {
    if (c < kLf) return c == u'\r' || c == u'\n';
    return selectorFor(c) != 0;
}

bool isPairAt(const QChar* stored, qsizetype i, qsizetype n) {
    return stored[i].unicode() == kEscape && i + 1 < n && isSelector(stored[i + 1].unicode());
}

}  // namespace

bool anyStoredAsOther(const QString& s) {
    return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return storedAsOther(c.unicode()); });
}

bool isEscapePair(char16_t first, char16_t second) { return first == kEscape && isSelector(second); }

qsizetype exactLengthOf(const QString& stored) {
    const QChar* s = stored.constData();
    const qsizetype n = stored.size();
    qsizetype length = n;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < kLf) continue;
        if (c == kCrLf) {
            ++length;
        } else if (isPairAt(s, i, n)) {
            --length;
            ++i;
        }
    }
    return length;
}

qsizetype walkExact(const QString& stored, qsizetype from, qsizetype count, bool roundUp) {
    const QChar* s = stored.constData();
    const qsizetype n = stored.size();
    qsizetype i = from;
    while (count > 0 && i < n) {
        const char16_t c = s[i].unicode();
        if (c == kCrLf) {
            if (count == 1) return roundUp ? i + 1 : i;
            count -= 2;
            ++i;
        } else {
            --count;
            i += isPairAt(s, i, n) ? 2 : 1;
        }
    }
    return i;
}

QString toDocumentForm(const QString& exact) {
    const QChar* in = exact.constData();
    const qsizetype n = exact.size();
    qsizetype escapes = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c >= kLf && selectorFor(c) != 0) ++escapes;
    }
    QString stored(n + escapes, Qt::Uninitialized);
    QChar* out = stored.data();
    QChar* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (!storedAsOther(c)) {
            *o++ = QChar(c);
        } else if (c == u'\r') {
            if (i + 1 < n && in[i + 1].unicode() == u'\n') {
                *o++ = QChar(kCrLf);
                ++i;
            } else {
                *o++ = QChar(kCr);
            }
        } else if (c == u'\n') {
            *o++ = QChar(kLf);
        } else {
            *o++ = QChar(kEscape);
            *o++ = QChar(selectorFor(c));
        }
    }
    stored.truncate(o - out);
    return stored;
}

QString fromDocumentForm(const QString& stored) {
    const QChar* in = stored.constData();
    const qsizetype n = stored.size();
    QString exact(exactLengthOf(stored), Qt::Uninitialized);
    QChar* out = exact.data();
    QChar* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (c < kLf) {
            *o++ = QChar(c);
        } else if (c == kCrLf) {
            *o++ = QChar(u'\r');
            *o++ = QChar(u'\n');
        } else if (c == kLf) {
            *o++ = QChar(u'\n');
        } else if (c == kCr) {
            *o++ = QChar(u'\r');
        } else if (isPairAt(in, i, n)) {
            *o++ = QChar(kEscaped[in[i + 1].unicode() - kFirstSelector]);
            ++i;
        } else {
            *o++ = QChar(c);
        }
    }
    exact.truncate(o - out);
    return exact;
}
