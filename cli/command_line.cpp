#include "cli/command_line.h"

#include "repair/repair.h"

#include <charconv>

#ifndef VELMORA_VERSION_TEXT
#error "VELMORA_VERSION_TEXT must come from the build"
#endif

namespace velmora::cli {

namespace {

Failure usageError(const std::string& what) { return badInput(what + "\nSe 'velmora-crypt --help'."); }

// The paragraph on --repair, with the limit the repair sets.
std::string repairHelp() {
    return R"help(
Med --repair läses hela texten in och prövas mot det som e-postprogram
och e-postservrar brukar göra med en text: radslut som har blivit CR LF,
rader som har brutits om, blanksteg och styrtecken som har fallit bort.
Finns en läsning som är text hela vägen skrivs den lagade klartexten ut,
och varje ändring står på en egen rad på standard fel, med rad och kolumn
i den mottagna texten. Vilket tecken som har fallit bort eller bytts ut
kan ibland bara gissas; då står "(gissning)" sist på raden. Behövs ingen
lagning blir resultatet detsamma som utan --repair. Blir ingen läsning
text (fel lösenord, eller inte en text från Velmora) skrivs det vanliga
resultatet ändå, också till UTFIL, och slutstatus blir 3. En text med
fler än )help" +
           std::to_string(repair::kMaxLength) + R"help( tecken lagas inte (status 2).
)help";
}

}  // namespace

std::variant<Arguments, Failure> parseArguments(std::span<const std::string_view> args) {
    Arguments result;
    for (const std::string_view arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") result.action = Arguments::Action::Help;
        if (arg == "--version") result.action = Arguments::Action::Version;
        if (result.action != Arguments::Action::Crypt) return result;
    }

    bool passwordGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            if (result.input) return usageError("Mer än en indatafil angiven ('" + std::string(arg) + "').");
            result.input = std::string(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        // Splits "--name=value" and "-oVALUE"; a value otherwise is the next argument.
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            attached = arg.substr(2);
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (attached) return attached;
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };

        if (name == "--raw" || name == "--repair") {
            if (attached) return usageError("Flaggan " + std::string(name) + " tar inget värde.");
            bool& flag = name == "--raw" ? result.raw : result.repair;
            flag = true;
        } else if (name == "--password-file" || name == "--password-fd") {
            if (passwordGiven)
                return usageError(
                    "Lösenordet får bara anges på ett sätt (--password-file eller --password-fd, en gång).");
            passwordGiven = true;
            const auto v = value();
            if (!v) return usageError("Flaggan " + std::string(name) + " kräver ett värde.");
            if (name == "--password-file") {
                result.passwordFrom = Arguments::PasswordFrom::File;
                result.passwordFile = std::string(*v);
            } else {
                int fd = -1;
                const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), fd);
                if (ec != std::errc{} || end != v->data() + v->size() || fd < 0 || v->empty()) {
                    return usageError("Ogiltig fildeskriptor '" + std::string(*v) + "' till --password-fd.");
                }
                result.passwordFrom = Arguments::PasswordFrom::Descriptor;
                result.passwordFd = fd;
            }
        } else if (name == "-o" || name == "--output") {
            if (result.output) return usageError("Utdatafilen får bara anges en gång.");
            const auto v = value();
            if (!v) return usageError("Flaggan " + std::string(name) + " kräver ett värde.");
            if (v->empty()) return usageError("Tomt namn på utdatafilen.");
            if (*v != "-") result.output = std::string(*v);
        } else {
            return usageError("Okänd flagga '" + std::string(arg) + "'.");
        }
    }
    if (result.input && result.input->empty()) return usageError("Tomt namn på indatafilen.");
    if (result.input == "-") result.input.reset();
    return result;
}

std::string usageText() {
    return R"(Användning: velmora-crypt [FLAGGOR] [INDATA]

Krypterar eller dekrypterar en text med ett lösenord. Samma körning gör
båda: kör den krypterade texten igen med samma lösenord så får du tillbaka
klartexten.

Texten läses från filen INDATA, eller från standard in om INDATA saknas
eller är -. Resultatet skrivs till standard ut, eller till filen UTFIL.

Flaggor:
  --password-file FIL  läs lösenordet från första raden i FIL
  --password-fd N      läs lösenordet från första raden på fildeskriptor N
                       (med N = 0 är resten av standard in texten)
  --raw                text in och ut som Windows-1252, en byte per tecken
                       (utan flaggan: UTF-8)
  --repair             laga en mottagen text som e-posten har ändrat på
                       vägen (se nedan)
  -o, --output UTFIL   skriv resultatet till UTFIL i stället för standard ut
  -h, --help           visa den här hjälpen och avsluta
      --version        visa versionen och avsluta

Lösenordet tas aldrig från kommandoraden. Utan --password-file och
--password-fd frågar programmet efter det på terminalen, utan eko.
Raden slutar vid LF, CRLF eller ett CR sist i filen, och radslutet tas
bort. Blanksteg före och efter lösenordet tas bort, som i fönstret; ett
tomt lösenord är ett fel, och varje tecken i lösenordet måste finnas i
Windows-1252 (ett fel anger bara kolumnen, aldrig tecknet).

Texten ska vara UTF-8; ett inledande BOM hör inte till texten och skrivs
inte ut. Varje tecken måste finnas i teckentabellen Windows-1252 och får
inte vara nolltecknet (U+0000); annars avbryts körningen med ett
meddelande som anger tecknet, raden och kolumnen. Med --raw är varje byte
ett tecken ur Windows-1252, och bara nollbyten avvisas.

Med -o skapas UTFIL först när hela körningen har lyckats, och en
befintlig UTFIL lämnas orörd om något går fel, också när en signal
avslutar programmet; ingen tillfällig fil blir kvar. UTFIL ersätts med en
ny fil i samma katalog, så katalogen måste gå att skriva i; annars kan
resultatet skrivas till standard ut med > UTFIL. INDATA och UTFIL får
vara samma fil.

En stängd standard in, ut eller fel förblir stängd: ingen fil som
programmet öppnar tar dess plats, och läsning eller skrivning där är ett
fel. En stängd fildeskriptor N till --password-fd är ett fel.

)" + repairHelp() +
           R"(
Till standard ut skrivs resultatet löpande (utom med --repair). Den
första mebibyten utdata hålls kvar tills den är full eller texten är
slut, så ett fel i en kort text lämnar standard ut tom. I en längre text
kan ett fel upptäckas när början redan är utskriven; programmet avslutas
då ändå med status 2 och det utskrivna är ofullständigt. Använd -o när
det inte får hända.

Slutstatus:
  0  lyckad körning
  1  fel vid läsning eller skrivning: en fil saknas eller kan inte läsas,
     resultatet kan inte skrivas
  2  felaktig användning eller indata: okänd flagga, saknat värde, ogiltig
     fildeskriptor, tomt lösenord, ogiltig UTF-8, tecken utanför
     Windows-1252, nolltecken, med --repair en för lång text
  3  med --repair: ingen läsning av texten blir läsbar; det vanliga
     resultatet är skrivet
)";
}

std::string versionText() { return std::string("velmora-crypt ") + VELMORA_VERSION_TEXT; }

}  // namespace velmora::cli
