// Builds the text model's table from Debian's word lists: a character model
// of order five over the symbols of text_symbols.h, trained on a stream of
// mail-like sentences whose words are drawn from the lists, with the most
// common words of each language drawn far more often, and the lines around
// them (greetings and closings with common first names, signatures). Witten-Bell smoothing;
// n-grams of order four and five seen only once are left out to keep the
// table small enough for the browser page.
//
// Usage: velmora_model_builder SWEDISH_LIST ENGLISH_LIST OUTPUT.cpp
#include "repair/model_layout.h"
#include "repair/text_symbols.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using velmora::repair::kSymbols;
namespace layout = velmora::repair::model_layout;
namespace symbol = velmora::repair::symbol;

using Word = std::string;  // Windows-1252 bytes

// The most frequent words of each language, most frequent first, then
// words that mail uses often.
const char kSwedishCommon[] =
    "och i att det som en på är av för med till den har de inte om ett han men var jag sig från vi så kan "
    "man när år hon under också efter eller nu sin där vid mot ska skulle kommer ut får finns vara hade "
    "alla andra mycket än här då sedan över bara in blir upp även vad få två vill ha många hur mer går "
    "detta nya skall hans utan något allt första fick måste mellan blev bli dag någon några sitt stor "
    "varit dem bra tre ta genom hela fram gör ingen sätt mig dig du oss er hej tack vänliga hälsningar "
    "mvh träffas imorgon idag vecka möte klockan gärna snart hoppas ses tid hem jobbet brev din ditt dina "
    "min mitt mina vår vårt era ni hos kl skrev ser sa tog gick kom gjorde vet tror tycker känner undrar "
    "behöver kunde borde ville hälsa kram puss lycka grattis förlåt ursäkta snälla okej ja nej kanske "
    "absolut självklart visst morgon kväll natt månad helg lördag söndag måndag tisdag onsdag torsdag "
    "fredag januari februari mars april maj juni juli augusti september oktober november december jul "
    "påsk midsommar semester sommar vinter höst hus lägenhet stuga rum kök bil buss tåg flyg resa biljett "
    "väg gata stad land skola jobb arbete kontor mamma pappa barn son dotter bror syster farmor mormor "
    "vän kompis familj granne chef kollega läkare tandläkare pengar kronor räkning faktura konto bank "
    "betalning pris kostnad avgift hyra lön skatt försäkring kontrakt mat middag lunch frukost kaffe fika "
    "tårta bullar vatten vin öl glass bröd dåligt fint roligt tråkigt svårt lätt viktigt möjligt "
    "nödvändigt klart färdig sen tidig snabb långsam liten lång kort ny gammal ung gott varm kall glad "
    "ledsen trött sjuk frisk alltid aldrig ofta ibland igen redan ännu fortfarande nog säkert precis "
    "ungefär nästan helt före inom kring bakom framför varje telefon nummer adress mejl lösenord nyckel "
    "kod dator skrivare papper dokument bild fil länk sida tredje sista nästa förra samma annan olika "
    "egen";
const char kEnglishCommon[] =
    "the of and to a in is you that it he was for on are as with his they I at be this have from or one "
    "had by but not what all were we when your can said there an each which she do how their if will up "
    "other about out many then them these so some her would make like him into time has look two more go "
    "see no way could people my than first been who its now long down day did get come made may hi thanks "
    "regards best dear please meeting tomorrow today let me know just here our us am I'm don't it's week "
    "we'll we're I'll you're can't won't isn't that's there's let's I've didn't doesn't kids love cheers "
    "next send should good new also any very well back after wrote says went came got knew think thought "
    "feel wonder hope wish want need might thank hello cheers love sorry okay yes yeah maybe sure course "
    "morning evening night month weekend saturday sunday monday tuesday wednesday thursday friday january "
    "february march april june july august september october november december christmas easter holiday "
    "summer winter spring autumn house home flat cottage room kitchen car bus train flight trip ticket "
    "road street town city country school job work office team mother father mum dad child children son "
    "daughter brother sister friend family neighbour boss colleague doctor dentist money pounds dollars "
    "bill invoice account bank payment price cost fee rent salary tax insurance contract food dinner "
    "lunch breakfast coffee tea cake water wine beer bad nice fun boring hard easy important possible "
    "necessary ready done late early fast slow big small little short old young warm cold happy sad tired "
    "sick always never often sometimes again already still only enough certainly exactly almost quite "
    "really before under between through without against around behind every phone number address email "
    "letter password key code computer printer paper document picture file link page last same different "
    "own sent attached find found keep left right tell told ask asked give gave take took call called "
    "meet put bring help try";

// First names common in Sweden and in English-speaking countries: mails
// greet and sign with them.
const char kNames[] =
    "Anna Eva Maria Karin Sara Lena Kerstin Emma Ingrid Marie Kristina Birgitta Elin Malin Sofia Johanna "
    "Linnéa Elsa Ida Julia Hanna Ebba Alice Maja Astrid Wilma Agnes Saga Klara Ella Lisa Helena Ulla "
    "Margareta Åsa Märta Annika Cecilia Linda Camilla Jessica Frida Louise Therese Anneli Jenny Susanne "
    "Lars Mikael Anders Johan Erik Per Karl Peter Jan Thomas Daniel Fredrik Hans Andreas Stefan Mats "
    "Magnus Jonas Björn Jörgen Göran Åke Bengt Nils Sven Olof Gustav Oskar William Liam Noah Hugo Lucas "
    "Elias Axel Viktor Emil Anton Filip Leo Alexander Martin Henrik Ulf Leif Kjell Tomas Patrik Niklas "
    "Mattias Rasmus Jesper Sören André René Håkan "
    "John James Mary Sarah David Michael Emily Jessica Tom Kate Mark Paul Laura Chris Helen Richard "
    "Robert Susan Linda Elizabeth Jennifer William Charles Joseph Thomas Margaret Karen Nancy Lisa "
    "Daniel Matthew Anthony Steven Andrew Joshua Rachel Rebecca Sophie Charlotte Olivia Amelia Jack "
    "Harry George Oliver Chloe Lucy Grace Ruth Alan Simon Ian Neil";

// Windows-1252 bytes of a UTF-8 string, or nothing if a character is outside
// Latin-1 (the lists' words are all Latin-1 letters).
bool latin1FromUtf8(const std::string& in, Word& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < in.size()) {
            const auto d = static_cast<unsigned char>(in[++i]);
            out.push_back(static_cast<char>((c == 0xC3 ? 0xC0 : 0x80) | (d & 0x3F)));
        } else {
            return false;
        }
    }
    return true;
}

std::vector<Word> readList(const char* path, bool utf8) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "velmora_model_builder: cannot read " << path << "\n";
        std::exit(1);
    }
    std::vector<Word> words;
    std::string line;
    Word word;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (utf8 ? !latin1FromUtf8(line, word) : (word = line, false)) continue;
        words.push_back(word);
    }
    return words;
}

std::vector<Word> commonWords(const char* list, char separator = ' ') {
    std::vector<Word> words;
    Word word;
    std::istringstream in(list);
    for (std::string w; std::getline(in, w, separator);)
        if (!w.empty() && latin1FromUtf8(w, word)) words.push_back(word);
    return words;
}

// A fixed generator, so that every build makes the same table.
struct SplitMix {
    std::uint64_t state = 0x5EED5EEDull;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
};

class Language {
public:
    Language(std::vector<Word> common, std::vector<Word> dictionary, SplitMix& random)
        : common_(std::move(common)), dictionary_(std::move(dictionary)) {
        for (std::size_t i = dictionary_.size(); i > 1; --i)
            std::swap(dictionary_[i - 1], dictionary_[random.below(i)]);
        double total = 0;
        for (std::size_t r = 0; r < common_.size(); ++r)
            cumulative_.push_back(total += 1.0 / (static_cast<double>(r) + 2));
    }
    const Word& word(SplitMix& random) {
        if (random.unit() < 0.55) {
            const double x = random.unit() * cumulative_.back();
            const auto at = std::lower_bound(cumulative_.begin(), cumulative_.end(), x) - cumulative_.begin();
            return common_[static_cast<std::size_t>(at)];
        }
        ++used_;
        return dictionary_[next_++ % dictionary_.size()];
    }
    bool exhausted() const { return used_ >= dictionary_.size(); }

private:
    std::vector<Word> common_;
    std::vector<Word> dictionary_;
    std::vector<double> cumulative_;
    std::size_t next_ = 0;
    std::size_t used_ = 0;
};

// A figure as mails hold them: times, dates and years, phone numbers,
// prices and sums, postcodes, counts. Their digits follow the rules of each
// (an hour below 24, minutes mostly by the quarter, prices ending in 0 or 5).
std::string number(SplitMix& random) {
    const auto digits = [&random](std::size_t n) {
        std::string d;
        for (std::size_t k = 0; k < n; ++k) d += static_cast<char>('0' + random.below(10));
        return d;
    };
    const auto two = [](std::size_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    const std::size_t minute = random.unit() < 0.7 ? 15 * random.below(4) : random.below(60);
    const std::size_t hour = 7 + random.below(16);
    switch (random.below(12)) {
    case 0: return two(hour) + (random.unit() < 0.5 ? "." : ":") + two(minute);
    case 1: return std::to_string(hour) + "." + two(minute);
    case 2: return std::to_string(1 + random.below(28));
    case 3: return std::to_string(random.unit() < 0.7 ? 2000 + random.below(30) : 1940 + random.below(60));
    case 4:
        return std::to_string(2020 + random.below(10)) + "-" + two(1 + random.below(12)) + "-" +
               two(1 + random.below(28));
    case 5: return "07" + digits(1) + "-" + digits(3) + " " + digits(2) + " " + digits(2);
    case 6:
        return "+" + std::string(random.unit() < 0.5 ? "46 7" : "44 7") + digits(1) + " " + digits(3) + " " + digits(4);
    case 7: return std::to_string(1 + random.below(99)) + std::string(random.unit() < 0.5 ? "0" : "5");
    case 8: return std::to_string(1 + random.below(20)) + " " + digits(1) + "00";
    case 9: return digits(3) + " " + digits(2);
    case 10: {
        if (random.unit() < 0.5) return std::to_string(random.below(10)) + "," + std::to_string(random.below(10));
        // A price: thousands set off by a blank, the öre or cents mostly round.
        const std::size_t whole = 1 + random.below(random.unit() < 0.7 ? 1000 : 20000);
        std::string price = whole < 1000
                                ? std::to_string(whole)
                                : std::to_string(whole / 1000) + " " + std::to_string(1000 + whole % 1000).substr(1);
        const double cents = random.unit();
        return price + "," + (cents < 0.3 ? "00" : cents < 0.6 ? "50" : cents < 0.7 ? "95" : digits(2));
    }
    default: return std::to_string(1 + random.below(random.unit() < 0.7 ? 12 : 200));
    }
}

// A web or mail address made of words, as mails quote them.
std::string address(Language& language, SplitMix& random) {
    static const char* const tops[] = {".se", ".com", ".org", ".nu", ".net", ".uk"};
    const auto lowered = [&] {
        std::string w = language.word(random);
        for (char& c : w)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return w;
    };
    const char* top = tops[random.below(std::size(tops))];
    if (random.unit() < 0.4) return lowered() + "." + lowered() + "@" + lowered() + top;
    std::string url = (random.unit() < 0.7 ? "https://www." : "http://") + lowered() + top + "/" + lowered();
    if (random.unit() < 0.5) url += random.unit() < 0.5 ? ".html" : "/" + lowered();
    if (random.unit() < 0.4) url += "?id=" + std::to_string(random.below(100000));
    return url;
}

// One paragraph of mail-like text in one language, ended by a line end.
void appendParagraph(std::string& text, Language& language, SplitMix& random) {
    const std::size_t sentences = 1 + random.below(4);
    std::size_t column = 0;
    if (random.unit() < 0.08) text += "> ";
    for (std::size_t s = 0; s < sentences; ++s) {
        const std::size_t words = 2 + random.below(14);
        for (std::size_t w = 0; w < words; ++w) {
            std::string token;
            if (random.unit() < 0.04) {
                token = number(random);
            } else if (random.unit() < 0.01) {
                token = address(language, random);
            } else {
                token = language.word(random);
                if (w == 0 && !token.empty() && token[0] >= 'a' && token[0] <= 'z')
                    token[0] = static_cast<char>(token[0] - 32);
            }
            if (random.unit() < 0.02) token = "(" + token + ")";
            if (random.unit() < 0.015) token = "\"" + token + "\"";
            text += token;
            column += token.size();
            if (w + 1 < words) {
                const double p = random.unit();
                if (p < 0.06)
                    text += ",";
                else if (p < 0.07)
                    text += ":";
                else if (p < 0.075)
                    text += " -";
                if (column > 60 && random.unit() < 0.5) {
                    text += "\r\n";
                    column = 0;
                } else {
                    text += " ";
                    ++column;
                }
            }
        }
        const double end = random.unit();
        text += end < 0.8 ? "." : end < 0.9 ? "?" : end < 0.97 ? "!" : "...";
        if (s + 1 < sentences) text += " ";
    }
    text += random.unit() < 0.6 ? "\r\n\r\n" : "\r\n";
}

bool isLetter(std::uint8_t s) { return s >= symbol::kLetterA && s <= symbol::kOtherLetter; }

// Every run of letters of every word of the lists ("don't" gives "don" and "t").
std::vector<std::uint8_t> wordFilter(std::initializer_list<const std::vector<Word>*> lists) {
    std::vector<std::uint8_t> bits(std::size_t{1} << (layout::kWordBits - 3), 0);
    const auto add = [&bits](std::uint32_t hash) {
        for (int k = 0; k < layout::kWordProbes; ++k) {
            const std::uint32_t bit = layout::wordBit(hash, k);
            bits[bit >> 3] = static_cast<std::uint8_t>(bits[bit >> 3] | (1u << (bit & 7)));
        }
    };
    for (const auto* list : lists) {
        for (const Word& word : *list) {
            std::uint32_t hash = layout::kWordStart;
            bool inWord = false;
            for (const char c : word) {
                const std::uint8_t s = kSymbols[static_cast<unsigned char>(c)].symbol;
                if (isLetter(s)) {
                    hash = layout::wordStep(inWord ? hash : layout::kWordStart, s);
                    inWord = true;
                } else if (inWord) {
                    add(hash);
                    inWord = false;
                }
            }
            if (inWord) add(hash);
        }
    }
    return bits;
}

// The lines around a mail's paragraphs: a greeting, a list, the header of
// a quoted reply, a closing and a signature.
void appendMailLines(std::string& text, Language& language, bool swedish, SplitMix& random) {
    static const std::vector<Word> names = commonWords(kNames);
    const auto name = [&] {
        if (random.unit() < 0.6) return names[random.below(names.size())];
        std::string w = language.word(random);
        if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
        return w;
    };
    switch (random.below(5)) {
    case 0: text += (swedish ? "Hej " : "Hi ") + name() + (random.unit() < 0.5 ? ",\r\n\r\n" : "!\r\n\r\n"); break;
    case 1:
        for (std::size_t k = 0, n = 2 + random.below(3); k < n; ++k)
            text += (random.unit() < 0.7 ? "- " : "* ") + language.word(random) + " " + language.word(random) + "\r\n";
        text += "\r\n";
        break;
    case 2: text += name() + (swedish ? " skrev:\r\n> " : " wrote:\r\n> "); break;
    case 3: {
        static const std::vector<Word> closings[] = {
            commonWords("Mvh|Hälsningar|Vänliga hälsningar|Med vänlig hälsning|Kram|Ha det bra|Tack|Hej då", '|'),
            commonWords("Best regards|Regards|Kind regards|Best|Thanks|Cheers|Love|Take care|Yours", '|')};
        const auto& choices = closings[swedish ? 0 : 1];
        text += choices[random.below(choices.size())] + (random.unit() < 0.2 ? ",\r\n" : "\r\n") + name() + "\r\n\r\n";
        break;
    }
    default: {  // the signature: after its mark, the name and a number or a title, on one line or two
        const double form = random.unit();
        text += "-- \r\n" + name() + (form < 0.6 ? "\t" : "\r\n") + (form < 0.3 ? name() : number(random)) + "\r\n\r\n";
        break;
    }
    }
}

// A table as one long string literal of hex escapes, 64 bytes a line.
void writeByteString(std::ostream& out, const char* name, const std::vector<std::uint8_t>& bytes) {
    static const char hex[] = "0123456789abcdef";
    out << "const char " << name << "[] =\n";
    for (std::size_t i = 0; i < bytes.size(); i += 64) {
        out << "    \"";
        for (std::size_t k = i; k < std::min(bytes.size(), i + 64); ++k)
            out << "\\x" << hex[bytes[k] >> 4] << hex[bytes[k] & 15];
        out << "\"\n";
    }
    out << "    ;\n";
}

struct Counts {
    std::unordered_map<std::uint32_t, std::uint32_t> grams;  // (context << 6 | symbol) -> count
    std::unordered_map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> contexts;  // -> (total, distinct)
};

std::uint8_t quantise(double bits) { return static_cast<std::uint8_t>(std::clamp(std::lround(bits * 16), 0l, 255l)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: velmora_model_builder SWEDISH_LIST ENGLISH_LIST OUTPUT.cpp\n";
        return 2;
    }
    SplitMix random;
    std::vector<Word> swedishWords = readList(argv[1], false);
    std::vector<Word> englishWords = readList(argv[2], true);
    for (const auto& w : commonWords(kSwedishCommon)) swedishWords.push_back(w);
    for (const auto& w : commonWords(kEnglishCommon)) englishWords.push_back(w);
    Language swedish(commonWords(kSwedishCommon), swedishWords, random);
    Language english(commonWords(kEnglishCommon), englishWords, random);

    std::string text = "\r\n";
    while (!swedish.exhausted() || !english.exhausted()) {
        const bool inSwedish = random.unit() < 0.5;
        Language& language = inSwedish ? swedish : english;
        if (random.unit() < 0.25) appendMailLines(text, language, inSwedish, random);
        appendParagraph(text, language, random);
    }

    // Mail written on Linux or a Mac ends its lines with LF alone: a fifth of
    // the stream again in that form, so that neither reads as damage.
    std::string lfLines;
    for (std::size_t i = 0; i < text.size() / 5; ++i)
        if (!(text[i] == '\r' && text[i + 1] == '\n')) lfLines += text[i];
    text += lfLines;

    constexpr int kOrders = layout::kMaxContext + 1;
    std::vector<Counts> counts(kOrders);  // index: context length
    std::uint32_t history = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t s = kSymbols[static_cast<unsigned char>(text[i])].symbol;
        for (int length = 0; length < kOrders && static_cast<std::size_t>(length) <= i; ++length) {
            const std::uint32_t context = layout::contextOf(history, length);
            const std::uint32_t key = (context << layout::kSymbolBits) | s;
            auto& c = counts[static_cast<std::size_t>(length)];
            if (c.grams[key]++ == 0) ++c.contexts[context].second;
            ++c.contexts[context].first;
        }
        history = (history << layout::kSymbolBits) | s;
    }

    // Witten-Bell: P(s|h) = (c(h,s) + T(h) P(s|h')) / (c(h) + T(h)).
    // Order 0 (no context) is add-one over all symbols, so nothing is unseen.
    std::vector<std::unordered_map<std::uint32_t, double>> prob(kOrders);
    const auto& unigram = counts[0].contexts[0];
    for (std::uint32_t s = 0; s < symbol::kCount; ++s) {
        const auto it = counts[0].grams.find(s);
        const double c = it == counts[0].grams.end() ? 0 : it->second;
        prob[0][s] = (c + 1) / (unigram.first + symbol::kCount);
    }
    const auto lower = [&prob](int length, std::uint32_t key) {
        // P(s | h') for the key of a context of `length` symbols.
        const std::uint32_t s = key & 63u;
        for (int l = length - 1; l >= 0; --l) {
            const std::uint32_t shorter = (layout::contextOf(key >> layout::kSymbolBits, l) << layout::kSymbolBits) | s;
            const auto it = prob[static_cast<std::size_t>(l)].find(shorter);
            if (it != prob[static_cast<std::size_t>(l)].end()) return it->second;
        }
        return prob[0].at(s);
    };

    struct Entry {
        int length;
        std::uint32_t context;
        std::uint8_t symbol;
        std::uint8_t cost;
    };
    // What the reader will make of the table: a kept n-gram's probability,
    // else the context's backoff weight times the shorter context's answer.
    std::vector<std::unordered_map<std::uint32_t, double>> kept(kOrders), backoff(kOrders);
    const auto stored = [&](int length, std::uint32_t recent, std::uint32_t s) {
        double weight = 1;
        for (int l = length; l >= 1; --l) {
            const std::uint32_t context = layout::contextOf(recent, l);
            const auto& k = kept[static_cast<std::size_t>(l)];
            if (const auto it = k.find((context << layout::kSymbolBits) | s); it != k.end()) return weight * it->second;
            const auto& b = backoff[static_cast<std::size_t>(l)];
            if (const auto it = b.find(context); it != b.end()) weight *= it->second;
        }
        return weight * prob[0].at(s);
    };

    std::vector<Entry> entries;
    for (int length = 1; length < kOrders; ++length) {
        auto& c = counts[static_cast<std::size_t>(length)];
        const std::uint32_t minimum = length >= 3 ? 2 : 1;
        std::unordered_map<std::uint32_t, std::pair<double, double>> mass;  // context -> (kept, kept below)
        for (const auto& [key, n] : c.grams) {
            const auto [total, distinct] = c.contexts.at(key >> layout::kSymbolBits);
            const double p = (n + distinct * lower(length, key)) / (total + distinct);
            prob[static_cast<std::size_t>(length)][key] = p;
            if (n < minimum) continue;
            const std::uint32_t context = key >> layout::kSymbolBits;
            kept[static_cast<std::size_t>(length)][key] = p;
            entries.push_back({length, context, static_cast<std::uint8_t>(key & 63u), quantise(-std::log2(p))});
            auto& [here, below] = mass[context];
            here += p;
            below += stored(length - 1, context, key & 63u);
        }
        // The weight that gives what was not kept the shorter context's share.
        for (const auto& [context, m] : mass) {
            const double weight = std::clamp((1 - m.first) / std::max(1e-9, 1 - m.second), 1e-4, 1.0);
            backoff[static_cast<std::size_t>(length)][context] = weight;
            entries.push_back({length, context, layout::kBackoffSymbol, quantise(-std::log2(weight))});
        }
    }

    std::size_t slotBits = 10;
    while ((std::size_t{1} << slotBits) * 5 < entries.size() * 8) ++slotBits;
    const std::size_t mask = (std::size_t{1} << slotBits) - 1;
    std::vector<std::uint8_t> slots(std::size_t{2} << slotBits, 0);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.length, a.context, a.symbol) < std::tie(b.length, b.context, b.symbol);
    });
    for (const Entry& e : entries) {
        const std::uint64_t h = layout::hashKey(e.length, e.context, e.symbol);
        std::size_t at = h & mask;
        while (slots[2 * at] != 0) at = (at + 1) & mask;
        slots[2 * at] = layout::fingerprintOf(h);
        slots[2 * at + 1] = e.cost;
    }

    std::ofstream out(argv[3], std::ios::binary);
    out << "// Generated by velmora_model_builder from the word lists; not edited by hand.\n"
        << "#include \"repair/model_data.h\"\n\n"
        << "// The tables are long string literals: compilers take them in far\n"
        << "// less time and memory than lists of numbers.\n"
        << "#if defined(__clang__)\n#pragma clang diagnostic ignored \"-Woverlength-strings\"\n"
        << "#elif defined(__GNUC__)\n#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n#endif\n\n"
        << "namespace velmora::repair::model_data {\n\n"
        << "const std::uint8_t kUnigramCost[64] = {";
    for (std::uint32_t s = 0; s < 64; ++s)
        out << (s < symbol::kCount ? int{quantise(-std::log2(prob[0][s]))} : 255) << ",";
    out << "};\nconst std::size_t kSlotBits = " << slotBits << ";\n";
    writeByteString(out, "kSlots", slots);
    writeByteString(out, "kWords", wordFilter({&swedishWords, &englishWords}));
    out << "\n}  // namespace velmora::repair::model_data\n";
    std::cerr << "velmora_model_builder: " << text.size() << " characters of training text, " << entries.size()
              << " entries in " << (std::size_t{1} << slotBits) << " slots (" << slots.size() / 1024 << " KiB)\n";
    return out ? 0 : 1;
}
