#include "tools/resource_texts.h"

#include <span>

namespace velmora::art {

namespace {

QString crlfLines(std::span<const char16_t* const> lines) {
    QString text;
    for (const char16_t* line : lines) {
        text += QString::fromUtf16(line);
        text += QStringLiteral("\r\n");
    }
    return text;
}

// Blanks matter in three lines: two before "Ctrl" in "Klipp Ut  Ctrl + x.",
// one at the end of "... i detta ", four before "bifogas.".
constexpr const char16_t* kHelpLines[] = {
    u"Detta program krypterar din emailtext",
    u"i mycket sv\u00e5rkn\u00e4ckt kode.",
    u"",
    u"Koden bygger p\u00e5 ditt l\u00f6senord som du och",
    u"mottagaren skall k\u00e4nna till.",
    u"",
    u"L\u00f6senordet b\u00f6r vara minst 7 tecken l\u00e5ngt",
    u"Blanda l\u00e4sbara bokst\u00e4ver med andra tecken",
    u"du har 255 st att v\u00e4lja mellan.",
    u"",
    u"G\u00f6r s\u00e5 h\u00e4r.",
    u"",
    u"Markera texten i ditt email som skall krypteras.",
    u"",
    u"Klipp Ut  Ctrl + x.",
    u"",
    u"V\u00e4lj detta program Klistra In Ctrl + v.",
    u"",
    u"G\u00f6r dina markeringar,skriv in l\u00f6senord.",
    u"",
    u"Tryck Kryptera / Dekryptera.",
    u"",
    u"Markera och Kopiera Ctrl + c.",
    u"",
    u"Om du Krypterat klistra tillbaka i ditt email.",
    u"",
    u"Har du Dekrypterat kan du l\u00e4sa klartexten i detta ",
    u"program.",
    u"",
    u"Quenlot",
    u"",
    u"Programmet anv\u00e4nder Threed32.ocx    bifogas.",
    u"K\u00f6r VbCtrls.reg om det blir problem med registrering.",
    u"",
    u"L\u00e4mpligen flytta ocx :en till Windows/System",
    u"",
    u"Quenlot",
};

constexpr const char16_t* kInfoLines[] = {
    u"Velmora - kryptering av e-posttext",
    u"==================================",
    u"",
    u"Vad programmet g\u00f6r",
    u"------------------",
    u"Velmora g\u00f6r om texten i ett e-postbrev till en kod som bara den som",
    u"k\u00e4nner till l\u00f6senordet kan l\u00e4sa. Du krypterar texten innan du skickar",
    u"brevet, och mottagaren dekrypterar den med samma l\u00f6senord. Samma knapp",
    u"g\u00f6r b\u00e5da delarna: en text som k\u00f6rs tv\u00e5 g\u00e5nger med samma l\u00f6senord blir",
    u"klartext igen.",
    u"",
    u"S\u00e5 h\u00e4r krypterar du",
    u"-------------------",
    u"1. Markera texten i ditt e-postbrev och klipp ut den (Ctrl+X).",
    u"2. Klistra in texten i Velmoras textruta med knappen \"Klistra In\"",
    u"   eller med Ctrl+V.",
    u"3. Markera den del av texten som skall krypteras.",
    u"4. Skriv l\u00f6senordet i l\u00f6senordsrutan.",
    u"5. Tryck p\u00e5 \"Kryptera / Dekryptera\" eller p\u00e5 Enter.",
    u"6. L\u00e4s varningen och bekr\u00e4fta den.",
    u"7. Tryck p\u00e5 \"Markera Allt\" och sedan p\u00e5 \"Kopiera\" (eller Ctrl+C).",
    u"8. Klistra tillbaka texten i e-postbrevet och skicka det.",
    u"",
    u"S\u00e5 h\u00e4r dekrypterar mottagaren",
    u"-----------------------------",
    u"Mottagaren g\u00f6r p\u00e5 samma s\u00e4tt: kopierar den krypterade texten ur",
    u"brevet, klistrar in den i Velmora, markerar den, skriver samma",
    u"l\u00f6senord och trycker p\u00e5 \"Kryptera / Dekryptera\". Klartexten st\u00e5r",
    u"sedan i textrutan och kan l\u00e4sas d\u00e4r.",
    u"",
    u"Om texten har \u00e4ndrats p\u00e5 v\u00e4gen",
    u"------------------------------",
    u"En krypterad text inneh\u00e5ller alla sorters tecken, ocks\u00e5 s\u00e5dana som",
    u"e-postprogram och e-postservrar \u00e4ndrar: radslut, styrtecken och h\u00e5rda",
    u"blanksteg. Pr\u00f6vat med riktiga e-postprogram och en riktig e-postserver",
    u"gick 0 av 40 krypterade brev att dekryptera hela som de kom fram:",
    u"radsluten g\u00f6rs om och ett radslut l\u00e4ggs till sist. D\u00e5 blir den",
    u"dekrypterade texten obegriplig fr\u00e5n det f\u00f6rsta \u00e4ndrade st\u00e4llet.",
    u"",
    u"N\u00e4r du dekrypterar letar Velmora d\u00e4rf\u00f6r efter den text som troligast",
    u"skickades. Hittar programmet en l\u00e4sning som h\u00e5ller hela v\u00e4gen fr\u00e5gar det",
    u"om du vill visa den lagade texten, och talar om hur m\u00e5nga st\u00e4llen som",
    u"lagas och var det f\u00f6rsta st\u00e5r (rad och kolumn i textrutan). Svara Ja f\u00f6r",
    u"att se den lagade texten, Nej (eller Esc) f\u00f6r att f\u00e5 det exakta",
    u"resultatet som vanligt. Av samma 40 brev, skickade med tv\u00e5 olika",
    u"e-postprogram, blev 40 och 37 hela efter lagningen; i de \u00f6vriga var en",
    u"bokstav eller en siffra fel.",
    u"",
    u"Velmora lagar radslut som har gjorts om eller lagts till (ocks\u00e5 d\u00e4r",
    u"l\u00e5nga rader har brutits), blanksteg som har lagts till eller fallit",
    u"bort, h\u00e5rda blanksteg och tabbtecken som har blivit vanliga blanksteg,",
    u"styrtecken som har fallit bort och fr\u00e5getecken i st\u00e4llet f\u00f6r tecken som",
    u"brevet inte kunde b\u00e4ra. Ett tecken som har fallit bort eller bytts ut",
    u"syns inte i texten: d\u00e4r gissar Velmora. Och vid ett \u00e4ndrat radslut kan",
    u"tv\u00e5 l\u00e4sningar b\u00e5da se ut som text, s\u00e5 att en bokstav eller en siffra",
    u"blir fel. L\u00e4s d\u00e4rf\u00f6r en lagad text med eftertanke, s\u00e4rskilt siffror. Med",
    u"fel l\u00f6senord blir det i regel ingen fr\u00e5ga, bara obegripliga tecken som",
    u"f\u00f6rut.",
    u"",
    u"Skicka texten s\u00e5 att inget \u00e4ndras",
    u"---------------------------------",
    u"Skicka brevet som ren text (inte HTML) och st\u00e4ng av automatisk",
    u"radbrytning i e-postprogrammet, s\u00e5 beh\u00f6ver minst lagas. S\u00e4krast \u00e4r att",
    u"skicka den krypterade texten som en bifogad fil, som inte \u00e4ndras p\u00e5",
    u"v\u00e4gen: \"velmora-crypt --raw -o brev.txt\" skriver de byte som",
    u"mottagarens \"velmora-crypt --raw brev.txt\" l\u00e4ser.",
    u"",
    u"L\u00f6senordet",
    u"----------",
    u"B\u00e5da parter m\u00e5ste anv\u00e4nda exakt samma l\u00f6senord. Med fel l\u00f6senord blir",
    u"resultatet bara nya obegripliga tecken. Kom \u00f6verens om l\u00f6senordet p\u00e5",
    u"annat s\u00e4tt \u00e4n med e-post, till exempel per telefon eller n\u00e4r ni ses.",
    u"Stora och sm\u00e5 bokst\u00e4ver r\u00e4knas som olika tecken, men blanksteg f\u00f6rst",
    u"och sist i l\u00f6senordet r\u00e4knas inte. V\u00e4lj ett l\u00e5ngt l\u00f6senord, minst 7",
    u"tecken, som blandar bokst\u00e4ver, siffror och andra tecken.",
    u"",
    u"Bra att veta",
    u"------------",
    u"- Resultatet ers\u00e4tter hela texten i textrutan. Text utanf\u00f6r",
    u"  markeringen f\u00f6rsvinner, s\u00e5 spara den f\u00f6rst om du beh\u00f6ver den.",
    u"- Bara tecken som finns i den v\u00e4steuropeiska teckentabellen",
    u"  Windows-1252 kan krypteras. Svenska bokst\u00e4ver som \u00e5, \u00e4 och \u00f6,",
    u"  \u00f6vriga v\u00e4steuropeiska bokst\u00e4ver, siffror och skiljetecken g\u00e5r bra,",
    u"  men till exempel grekiska, kyrilliska eller kinesiska tecken och de",
    u"  flesta emojier g\u00e5r inte. Det g\u00e4ller b\u00e5de texten och l\u00f6senordet.",
    u"",
    u"Mottagare utan Velmora",
    u"----------------------",
    u"Den som inte kan installera Velmora, till exempel p\u00e5 Windows, Mac eller",
    u"i telefonen, kan anv\u00e4nda filen velmora.html i st\u00e4llet. Den g\u00f6r samma",
    u"sak och ger exakt samma resultat, i vilken modern webbl\u00e4sare som helst,",
    u"\u00f6ppnad direkt fr\u00e5n disken. Den beh\u00f6ver inget n\u00e4tverk och skickar",
    u"ingenting n\u00e5gonstans. Filen finns i /usr/share/velmora/velmora.html;",
    u"skicka den till mottagaren en g\u00e5ng, men aldrig l\u00f6senordet med den.",
    u"",
    u"Hur s\u00e4ker \u00e4r krypteringen?",
    u"--------------------------",
    u"\u00c4rligt talat: inte s\u00e4rskilt. Velmora anv\u00e4nder ett enkelt str\u00f6mchiffer.",
    u"L\u00f6senordet styr en pseudoslumpgenerator med bara 24 bitars tillst\u00e5nd,",
    u"och generatorns tal blandas in i texten tecken f\u00f6r tecken med XOR.",
    u"- Generatorn har bara 2^24, ungef\u00e4r 16,8 miljoner, olika tillst\u00e5nd.",
    u"  En dator kan pr\u00f6va dem alla p\u00e5 kort tid.",
    u"- Samma l\u00f6senord ger alltid samma nyckelstr\u00f6m. Den som har tv\u00e5 texter",
    u"  krypterade med samma l\u00f6senord kan f\u00e5 fram skillnaden mellan dem.",
    u"- Den som k\u00e4nner till eller gissar en bit av klartexten, till exempel",
    u"  en h\u00e4lsningsfras, kan r\u00e4kna fram motsvarande del av nyckelstr\u00f6mmen.",
    u"Krypteringen h\u00e5ller allts\u00e5 en nyfiken l\u00e4sare borta, men inte n\u00e5gon som",
    u"p\u00e5 allvar f\u00f6rs\u00f6ker kn\u00e4cka den. F\u00f6r hemligheter p\u00e5 riktigt: anv\u00e4nd",
    u"OpenPGP (till exempel GnuPG) eller S/MIME, som de flesta",
    u"e-postprogram har st\u00f6d f\u00f6r.",
};

}  // namespace

QString helpText() { return crlfLines(kHelpLines); }

QString label3Caption() {
    // The caption sits over three columns of the window; the runs of blanks
    // place its words above the controls they describe.
    const auto blanks = [](int count) { return QString(count, u' '); };
    return blanks(2) + QStringLiteral("Klipp och Klistra") + blanks(32) + QStringLiteral("Krypter och") + blanks(10) +
           QStringLiteral("Dekryptera") + blanks(33) + QStringLiteral("Markera text som") + blanks(2) +
           QStringLiteral("skall behandlas");
}

QString infoText() { return crlfLines(kInfoLines); }

QByteArray utf8File(const QString& text) { return text.toUtf8(); }

}  // namespace velmora::art
