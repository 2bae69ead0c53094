#include "mailsim/mail_corpus.h"

#include <random>
#include <string_view>

namespace velmora::mailtest {

namespace {

std::u16string fromUtf8(std::string_view s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out.push_back(c);
        } else if (c < 0xE0) {
            out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (s[++i] & 0x3F)));
        } else {
            const auto c1 = static_cast<unsigned char>(s[++i]), c2 = static_cast<unsigned char>(s[++i]);
            out.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F)));
        }
    }
    return out;
}

using Words = std::vector<std::string_view>;

struct Language {
    Words greetings, openers, subjects, verbs, objects, times, closings, signoffs, asides;
};

const Language kSwedish{
    {"Hej", "Hej igen", "Hejsan", "Kära", "God morgon", "Hallå"},
    {"Tack för ditt brev.", "Jag hoppas att allt är bra med dig.", "Här kommer det vi pratade om.",
     "Förlåt att jag svarar så sent.", "Kort fråga innan helgen:", "Som jag lovade i telefon:"},
    {"Jag", "Vi", "Mamma", "Styrelsen", "Läkaren", "Banken", "Min bror", "Grannen", "Hela familjen", "Chefen"},
    {"har bokat", "kan inte hitta", "skickar", "behöver", "vill gärna ha", "har betalat", "måste flytta", "glömde",
     "har läst", "ska lämna"},
    {"tiden hos tandläkaren", "nycklarna till stugan", "räkningen för elen", "kontraktet för lägenheten",
     "protokollet från mötet", "biljetterna till Göteborg", "receptet på kanelbullar", "lösenordet till wifi",
     "pengarna för resan", "papperen från försäkringskassan"},
    {"på måndag", "i morgon bitti", "före jul", "nästa vecka", "den 14 mars", "klockan 18.30", "i helgen",
     "efter lunch", "senast fredag", "om en månad"},
    {"Hör av dig om något är oklart.", "Ring mig om du undrar något.", "Vi ses snart!", "Ha en fin helg.",
     "Tack på förhand.", "Svara när du kan."},
    {"Vänliga hälsningar", "Mvh", "Kram", "Hälsningar", "Med vänlig hälsning", "Allt gott"},
    {"Det kostade 1 250 kr, inklusive moms.", "Koden är 4471 och porten öppnas med en nyckelbricka.",
     "Mitt nya nummer är 070-123 45 67.", "Adressen är Storgatan 12 B, 752 36 Uppsala.", "Tåget går 07:42 från spår 3.",
     "Det blev 3,5 procent dyrare än i fjol.", "Skicka det till anna.berg@example.se så ordnar hon resten.",
     "Länken är https://www.example.se/boka?id=8812"},
};

const Language kEnglish{
    {"Hi", "Hello", "Dear", "Good morning", "Hey"},
    {"Thanks for your letter.", "I hope you are well.", "Here is what we talked about.", "Sorry for the late reply.",
     "Quick question before the weekend:", "As promised on the phone:"},
    {"I", "We", "My sister", "The board", "The doctor", "The bank", "Our neighbour", "The landlord", "Everyone",
     "The team"},
    {"have booked", "cannot find", "will send", "need", "would like", "have paid", "must move", "forgot", "have read",
     "will leave"},
    {"the appointment with the dentist", "the keys to the cottage", "the electricity bill", "the lease",
     "the minutes of the meeting", "the tickets to Edinburgh", "the recipe for the cake", "the password for the wifi",
     "the money for the trip", "the forms from the council"},
    {"on Monday", "tomorrow morning", "before Christmas", "next week", "on 14 March", "at 6.30 pm", "this weekend",
     "after lunch", "by Friday", "in a month"},
    {"Let me know if anything is unclear.", "Call me if you have questions.", "See you soon!", "Have a nice weekend.",
     "Thanks in advance.", "Reply when you can."},
    {"Best regards", "Kind regards", "Cheers", "Love", "Yours", "All the best"},
    {"It cost $1,250 including tax.", "The code is 4471 and the door opens with a key fob.",
     "My new number is +44 7700 900123.", "The address is 12 High Street, Oxford OX1 4AB.",
     "The train leaves at 07:42 from platform 3.", "Prices went up by 3.5% since last year.",
     "Send it to anna.berg@example.com and she will sort it out.", "The link is https://www.example.com/book?id=8812"},
};

const Words kNames = {"Anna", "Erik",  "Maria",  "Lars",   "Karin", "Johan", "Sara",  "Per",  "Eva",   "Oskar",
                      "Åsa",  "Björn", "Jörgen", "Linnéa", "John",  "Mary",  "David", "Emma", "Peter", "Claire"};

class Writer {
public:
    explicit Writer(std::uint64_t seed) : random_(seed) {}

    std::u16string mail() {
        const Language& lang = chance(0.55) ? kSwedish : kEnglish;
        const std::string_view to = pick(kNames), from = pick(kNames);
        std::string text = std::string(pick(lang.greetings)) + " " + std::string(to) + (chance(0.5) ? "!" : ",");
        text += "\r\n\r\n";
        const bool wrapByHand = chance(0.4);
        const int paragraphs = 1 + static_cast<int>(below(4));
        for (int p = 0; p < paragraphs; ++p) {
            std::string paragraph = p == 0 ? std::string(pick(lang.openers)) + " " : "";
            const int sentences = 1 + static_cast<int>(below(5));
            for (int s = 0; s < sentences; ++s) {
                paragraph += chance(0.2) ? std::string(pick(lang.asides)) : sentence(lang);
                if (s + 1 < sentences) paragraph += chance(0.06) ? "  " : " ";
            }
            text += wrapByHand ? wrap(paragraph, 60 + below(16)) : paragraph;
            text += "\r\n\r\n";
            if (chance(0.15)) text += list(lang);
        }
        text += std::string(pick(lang.closings)) + "\r\n\r\n" + std::string(pick(lang.signoffs)) + "\r\n";
        text += std::string(from);
        if (chance(0.3)) text += "\r\n--\r\n" + std::string(from) + "\t" + std::string(pick(lang.asides));
        if (chance(0.25)) text += "\r\n\r\n" + quoted(lang, to);
        if (chance(0.5)) text += "\r\n";
        return fromUtf8(text);
    }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    std::string_view pick(const Words& w) { return w[below(w.size())]; }

    std::string sentence(const Language& lang) {
        std::string s = std::string(pick(lang.subjects)) + " " + std::string(pick(lang.verbs)) + " " +
                        std::string(pick(lang.objects));
        if (chance(0.6)) s += " " + std::string(pick(lang.times));
        return s + (chance(0.85) ? "." : chance(0.5) ? "?" : "!");
    }

    std::string wrap(const std::string& paragraph, std::size_t width) {
        std::string out;
        std::size_t column = 0;
        for (std::size_t at = 0; at < paragraph.size();) {
            std::size_t end = paragraph.find(' ', at);
            if (end == std::string::npos) end = paragraph.size();
            const std::string word = paragraph.substr(at, end - at);
            if (column > 0 && column + 1 + word.size() > width) {
                out += "\r\n";
                column = 0;
            } else if (column > 0) {
                out += " ";
                ++column;
            }
            out += word;
            column += word.size();
            at = end + 1;
        }
        return out;
    }

    std::string list(const Language& lang) {
        std::string out;
        for (std::size_t k = 0, n = 2 + below(3); k < n; ++k) out += "- " + std::string(pick(lang.objects)) + "\r\n";
        return out + "\r\n";
    }

    std::string quoted(const Language& lang, std::string_view who) {
        std::string out = std::string(who) + (&lang == &kSwedish ? " skrev:" : " wrote:") + "\r\n";
        for (std::size_t k = 0, n = 1 + below(3); k < n; ++k) out += "> " + sentence(lang) + "\r\n";
        return out;
    }

    std::mt19937_64 random_;
};

}  // namespace

std::vector<std::u16string> mailCorpus(std::size_t count, std::uint64_t seed) {
    Writer writer(seed);
    std::vector<std::u16string> mails;
    for (std::size_t k = 0; k < count; ++k) mails.push_back(writer.mail());
    return mails;
}

std::u16string passwordFor(std::uint64_t seed) {
    static const Words words = {"Sommar", "hemligt", "Kanelbulle", "tulpan",    "Göteborg", "vinter",
                                "Blåbär", "solsken", "Hunden",     "äppelträd", "Stjärna",  "korv"};
    std::mt19937_64 random(seed * 7919 + 17);
    std::string p(words[random() % words.size()]);
    p += std::to_string(random() % 100);
    if (random() % 3 == 0) p += "!";
    return fromUtf8(p);
}

}  // namespace velmora::mailtest
