// What the repair reports, and what it never does: offer a repair where
// nothing was changed.
#include "repair/repair.h"
#include "cipher/cp1252.h"
#include "cipher/text_cipher.h"
#include "mailsim/mail_corpus.h"
#include "mailsim/mail_damage.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace velmora;
using repair::ChangeKind;

std::u16string enciphered(const std::u16string& text, const std::u16string& password) {
    return std::get<std::u16string>(cryptText(text, password));
}

TEST(Repair, NeverOffersARepairWhereNothingWasChanged) {
    const auto mails = mailtest::mailCorpus(700, 11);
    std::mt19937 random(5);
    for (std::size_t k = 0; k < mails.size(); ++k) {
        const auto password = mailtest::passwordFor(k + 1000);
        std::u16string noise(1 + random() % 1500, u' ');
        for (char16_t& c : noise) c = cp1252::toUnicode(static_cast<std::uint8_t>(1 + random() % 255));
        const auto lfMail = mailtest::lineEndsLf(mails[k]);
        // No-break spaces of its own, as a mail written in an HTML editor has.
        auto noBreakMail = mails[k];
        for (std::size_t i = k % 5; i < noBreakMail.size(); i += 5)
            if (noBreakMail[i] == u' ') noBreakMail[i] = u'\u00A0';
        for (const auto& text : {enciphered(mails[k], password), mails[k], enciphered(lfMail, password),
                                 enciphered(noBreakMail, password), noise})
            EXPECT_NE(repair::repairText(text, password).outcome, repair::Outcome::Repaired) << k;
    }
}

// Where a lone CR or LF of the enciphered text was made CR LF, or a control
// character dropped, the changes name each place in the received text.
TEST(Repair, NamesEachPlaceTheMailChanged) {
    const auto mails = mailtest::mailCorpus(60, 12);
    std::size_t checked = 0;
    for (std::size_t k = 0; k < mails.size(); ++k) {
        const auto password = mailtest::passwordFor(k);
        const auto sent = enciphered(mails[k], password);
        std::u16string received;
        std::vector<repair::Change> expected;
        const bool dropping = k % 2;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            const char16_t c = sent[i];
            const bool pair = c == u'\r' && i + 1 < sent.size() && sent[i + 1] == u'\n';
            if (dropping && ((c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') || c == 0x7F)) {
                expected.push_back({received.size(), ChangeKind::ControlDropped, true});
                continue;
            }
            if (!dropping && (c == u'\r' || c == u'\n') && !pair && !(c == u'\n' && i > 0 && sent[i - 1] == u'\r')) {
                expected.push_back({received.size(), c == u'\r' ? ChangeKind::LineEndForCr : ChangeKind::LineEndForLf});
                received += u"\r\n";
                continue;
            }
            received += c;
        }
        const auto repair = repair::repairText(received, password);
        if (repair.text != mails[k]) continue;  // the damage figures count the misses
        EXPECT_EQ(repair.changes, expected) << k;
        ++checked;
    }
    EXPECT_GE(checked, 25u);
}

}  // namespace
