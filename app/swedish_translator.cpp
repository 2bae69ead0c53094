#include "app/swedish_translator.h"

#include <QHash>
#include <QString>

namespace {

struct Entry {
    const char* source;
    const char* swedish;
};

// Editing commands: the text area's menu (QWidgetTextControl) and the line
// edit's (QLineEdit) use the same source texts.
constexpr Entry kEditing[] = {
    {"&Undo", "&Ångra"},
    {"&Redo", "&Gör om"},
    {"Cu&t", "Klipp &ut"},
    {"&Copy", "&Kopiera"},
    {"Copy &Link Location", "Kopiera &länkadress"},
    {"&Paste", "K&listra in"},
    {"Delete", "Ta bort"},
    {"Select All", "Markera allt"},
    {"Insert Unicode control character", "Infoga Unicode-styrtecken"},
};

constexpr Entry kButtons[] = {
    {"OK", "OK"},
    {"Cancel", "Avbryt"},
    {"&Yes", "&Ja"},
    {"&No", "&Nej"},
    {"Yes to &All", "Ja till &alla"},
    {"N&o to All", "N&ej till alla"},
    {"Close", "Stäng"},
    {"Apply", "Verkställ"},
    {"Reset", "Återställ"},
    {"Help", "Hjälp"},
    {"Open", "Öppna"},
    {"Save", "Spara"},
    {"Save All", "Spara alla"},
    {"Discard", "Kasta"},
    {"Don't Save", "Spara inte"},
    {"Close without Saving", "Stäng utan att spara"},
    {"Abort", "Avbryt"},
    {"Retry", "Försök igen"},
    {"Ignore", "Ignorera"},
    {"Restore Defaults", "Återställ standardvärden"},
    {"Show Details...", "Visa detaljer..."},
    {"Hide Details...", "Dölj detaljer..."},
};

constexpr Entry kScrollBar[] = {
    {"Scroll here", "Rulla hit"},     {"Left edge", "Vänsterkant"}, {"Top", "Överst"},
    {"Right edge", "Högerkant"},      {"Bottom", "Nederst"},        {"Page left", "Sida vänster"},
    {"Page up", "Sida upp"},          {"Page right", "Sida höger"}, {"Page down", "Sida ned"},
    {"Scroll left", "Rulla vänster"}, {"Scroll up", "Rulla upp"},   {"Scroll right", "Rulla höger"},
    {"Scroll down", "Rulla ned"},
};

QString key(const char* context, const char* source) {
    return QString::fromLatin1(context) + QChar(4) + QString::fromUtf8(source);
}

const QHash<QString, QString>& table() {
    static const QHash<QString, QString> entries = [] {
        QHash<QString, QString> t;
        const auto add = [&t](const char* context, const auto& list) {
            for (const Entry& e : list) t.insert(key(context, e.source), QString::fromUtf8(e.swedish));
        };
        add("QWidgetTextControl", kEditing);
        add("QLineEdit", kEditing);
        add("QPlatformTheme", kButtons);
        add("QMessageBox", kButtons);
        add("QDialogButtonBox", kButtons);
        add("QScrollBar", kScrollBar);
        return t;
    }();
    return entries;
}

}  // namespace

QString SwedishTranslator::translate(const char* context, const char* sourceText, const char*, int) const {
    if (context == nullptr || sourceText == nullptr) return {};
    return table().value(key(context, sourceText));
}
