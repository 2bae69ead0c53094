#include "app/unbreakable_run.h"

#include <QTextBoundaryFinder>

namespace {

// Qt's line breaker stops its search for a break at every such blank; a
// no-break space is not one. Below U+1680 the only blanks are tab to CR,
// space, U+0085 and the no-break space U+00A0: tested directly, for speed.
bool isBreakableBlank(char16_t c) {
    if (c < 0x1680) return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85;
    const QChar q(c);
    return q.isSpace() && q.decompositionTag() != QChar::NoBreak;
}

// The exact test for a stretch without breakable blanks, by the rules Qt
// applies. The stretch is looked at in windows that overlap by more than
// `longest`, so that a run crossing the end of one window lies far enough
// inside another, and a huge stretch costs only as far as its first run.
bool hasRunWithoutBreakOpportunity(QStringView stretch, qsizetype longest) {
    const qsizetype window = 8 * (longest + 1);
    const qsizetype step = window - (longest + 1);
    for (qsizetype start = 0;; start += step) {
        const QStringView part = stretch.mid(start, window);
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, part);
        qsizetype previous = 0;
        for (qsizetype next = breaks.toNextBoundary(); next != -1; next = breaks.toNextBoundary()) {
            if (next - previous > longest) return true;
            previous = next;
        }
        if (start + window >= stretch.size()) return false;
    }
}

}  // namespace

bool hasUnbreakableRun(QStringView text, qsizetype longest) {
    // Stretches between blanks bound every run, and most text has none long
    // enough to need the line-breaking rules. A stretch starting at `start`
    // is too long exactly when the next longest + 1 characters hold no blank;
    // looking for the last blank among them from their end lets ordinary text
    // be passed over in big steps.
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (n - start > longest) {
        qsizetype i = start + longest;
        while (i >= start && !isBreakableBlank(text[i].unicode())) --i;
        if (i >= start) {
            start = i + 1;
            continue;
        }
        qsizetype end = start + longest + 1;
        while (end < n && !isBreakableBlank(text[end].unicode())) ++end;
        if (hasRunWithoutBreakOpportunity(text.sliced(start, end - start), longest)) return true;
        start = end + 1;
    }
    return false;
}
