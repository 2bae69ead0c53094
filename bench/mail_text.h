#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace velmora::bench {

// Mail-like text: Swedish words in lines of about 70 characters ending in
// CRLF, a few with letters above 127, the odd euro sign and digit.
inline std::u16string mailText(std::size_t length, unsigned seed = 1) {
    static const char16_t* const words[] = {
        u"hej",
        u"och",
        u"att",
        u"det",
        u"som",
        u"på",
        u"är",
        u"för",
        u"med",
        u"till",
        u"mötet",
        u"imorgon",
        u"klockan",
        u"tio",
        u"vänliga",
        u"hälsningar",
        u"avtalet",
        u"kostar",
        u"1\u00A0250\u00A0\u20AC",
        u"lösenordet",
        u"överenskommelse",
        u"sändning",
        u"Göteborg",
        u"Stockholm",
        u"räkningen",
        u"bifogad",
        u"fråga",
        u"svar",
        u"2026-12-06",
    };
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    std::u16string text;
    text.reserve(length + 32);
    std::size_t lineLength = 0;
    while (text.size() < length) {
        const std::u16string_view word = words[pick(rng)];
        if (lineLength + word.size() > 70) {
            text += u"\r\n";
            lineLength = 0;
        } else if (lineLength > 0) {
            text += u' ';
            ++lineLength;
        }
        text += word;
        lineLength += word.size();
    }
    text.resize(length);
    return text;
}

}  // namespace velmora::bench
