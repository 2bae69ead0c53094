// The encrypt/decrypt command: checks the selection and the password, warns,
// restarts the generator and runs the cipher on the selection; the result
// replaces the whole text of txtClip. Where a mail path changed a received
// text, the repaired reading is offered in place of the exact result.
#include "app/form1.h"

#include "app/lossless_text_box.h"
#include "app/password_box.h"
#include "app/runtime_services.h"
#include "app/utf16_view.h"
#include "cipher/blanks.h"
#include "cipher/input_refusal.h"
#include "cipher/rtc_random.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"
#include "repair/repair.h"
#include "resources/messages.h"
#include "secrets/wipe.h"

#include <QLabel>

#include <optional>

namespace {

const QString kNoSelection = QString::fromUtf16(velmora::messages::noSelection);
const QString kNoPassword = QString::fromUtf16(velmora::messages::noPassword);
const QString kWarning = QString::fromUtf16(velmora::messages::warning);
const QString kDone = QString::fromUtf16(velmora::messages::done);
const QString kRepairQuestion = QString::fromUtf16(velmora::messages::repairQuestion);

// Keeps the hourglass up for exactly as long as it lives.
class BusyCursor {
public:
    explicit BusyCursor(RuntimeServices& runtime) : runtime_(runtime) {
        runtime_.setMousePointer(RuntimeServices::Hourglass);
    }
    ~BusyCursor() { runtime_.setMousePointer(RuntimeServices::Default); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    RuntimeServices& runtime_;
};

// The question for a repaired reading: how many places, and where the first
// stands in the whole text the selection was taken from.
QString repairQuestion(const velmora::repair::Repair& repair, const QString& wholeText, int selectionStart) {
    const velmora::TextPosition first = velmora::locate(
        utf16View(wholeText), static_cast<std::size_t>(selectionStart) + repair.changes.front().position);
    return kRepairQuestion.arg(QString::number(repair.changes.size()), QString::number(first.line),
                               QString::number(first.column));
}

}  // namespace

void Form1::cmdKryDekry_Click() {
    emit handlerEntered(QStringLiteral("cmdKryDekry_Click"));

    const QString selection = txtClip->selText();
    if (selection.isEmpty()) {
        runtime_.msgBox(this, kNoSelection, RuntimeServices::Information);
        return;
    }

    // A password of blanks alone is empty once trimmed and would leave the
    // cipher nothing to work with: it counts as forgotten.
    if (velmora::trimBlanks(utf16View(Text1->text())).empty()) {
        runtime_.msgBox(this, kNoPassword, RuntimeServices::Critical);
        Text1->setFocus(Qt::OtherFocusReason);
        return;
    }

    // Characters the code page cannot carry would come back mangled: refuse
    // before anything is promised or changed.
    const auto textBeforeSelection = [this] { return txtClip->text().left(txtClip->selStart()).toStdU16String(); };
    if (const auto refusal =
            velmora::inputRefusal(utf16View(selection), utf16View(Text1->text()), textBeforeSelection)) {
        runtime_.msgBox(this, QString::fromStdString(refusal->message()), RuntimeServices::Critical);
        return;
    }

    if (runtime_.msgBox(this, kWarning, RuntimeServices::Critical | RuntimeServices::OkCancel) ==
        RuntimeServices::Cancel) {
        return;
    }

    runtime_.randomGenerator().next(-1.0f);
    const QString typed = Text1->text();
    const std::u16string_view password = velmora::trimBlanks(utf16View(typed));
    QString trimmed = QString::fromUtf16(password.data(), static_cast<qsizetype>(password.size()));
    CryptText(selection, trimmed);
    // The copy is this command's own (data() does not detach it); the box keeps the typed one.
    velmora::wipeBytes(trimmed.data(), static_cast<std::size_t>(trimmed.size()) * sizeof(QChar));
}

// text is txtClip's selection.
void Form1::CryptText(const QString& text, const QString& password) {
    std::optional<BusyCursor> busy(std::in_place, runtime_);
    auto result = velmora::cryptText(runtime_.randomGenerator(), utf16View(text), utf16View(password));
    if (const auto* error = std::get_if<velmora::CipherError>(&result)) {
        // Checked before the warning; kept as a guard so nothing is ever
        // half-done.
        runtime_.msgBox(this, QString::fromStdString(error->message()), RuntimeServices::Critical);
        return;
    }
    QString shown = QString::fromStdU16String(std::get<std::u16string>(result));

    // Every other outcome keeps the exact result without a word: a wrong
    // password or a long plain text is no news worth a message box.
    velmora::repair::Repair repair = velmora::repair::repairText(utf16View(text), utf16View(password));
    if (repair.outcome == velmora::repair::Outcome::Repaired) {
        const QString question = repairQuestion(repair, txtClip->text(), txtClip->selStart());
        busy.reset();  // the user's turn
        if (runtime_.msgBox(this, question, RuntimeServices::Question | RuntimeServices::YesNo) ==
            RuntimeServices::Yes) {
            shown = QString::fromStdU16String(repair.text);
        }
        busy.emplace(runtime_);
    }
    txtClip->setText(shown);
    Label4->setText(kDone);
}
