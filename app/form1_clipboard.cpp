// The clipboard and selection commands: moving text between the clipboard
// and txtClip, selecting all of it, bringing it into view. Every one ends
// with the status line cleared.
#include "app/form1.h"

#include "app/lossless_text_box.h"
#include "app/runtime_services.h"

#include <QLabel>

// Empties the clipboard, then hands it the selection of txtClip (the empty
// text when nothing is selected).
void Form1::copySelectionToClipboard() {
    runtime_.clearClipboard();
    const QString selection = txtClip->selText();
    runtime_.setClipboardText(selection);
}

void Form1::mnuClip_Click() {
    emit handlerEntered(QStringLiteral("mnuClip_Click"));
    txtClip->setVisible(true);
    Label3->setVisible(true);
    txtClip->setFocus(Qt::OtherFocusReason);
    Label4->setText(QString());
}

void Form1::mnuCopy_Click() {
    emit handlerEntered(QStringLiteral("mnuCopy_Click"));
    copySelectionToClipboard();
    Label4->setText(QString());
}

void Form1::mnuCut_Click() {
    emit handlerEntered(QStringLiteral("mnuCut_Click"));
    copySelectionToClipboard();
    txtClip->setSelText(QString());
    Label4->setText(QString());
}

void Form1::mnuPaste_Click() {
    emit handlerEntered(QStringLiteral("mnuPaste_Click"));
    txtClip->setFocus(Qt::OtherFocusReason);
    // A clipboard without text leaves the text as it was: nothing is lost.
    if (const std::optional<QString> text = runtime_.clipboardText()) txtClip->setText(*text);
    Label4->setText(QString());
}

void Form1::SSCommand1_Click() {
    emit handlerEntered(QStringLiteral("SSCommand1_Click"));
    mnuCopy_Click();
    Label4->setText(QString());
}

// The steps of mnuCut_Click, in a body of its own rather than a call.
void Form1::SSCommand2_Click() {
    emit handlerEntered(QStringLiteral("SSCommand2_Click"));
    copySelectionToClipboard();
    txtClip->setSelText(QString());
    Label4->setText(QString());
}

void Form1::SSCommand3_Click() {
    emit handlerEntered(QStringLiteral("SSCommand3_Click"));
    mnuPaste_Click();
    Label4->setText(QString());
}

void Form1::SSCommand4_Click() {
    emit handlerEntered(QStringLiteral("SSCommand4_Click"));
    const auto length = static_cast<int>(txtClip->text().size());
    txtClip->setFocus(Qt::OtherFocusReason);
    txtClip->setSelStart(0);
    txtClip->setSelLength(length);
    Label4->setText(QString());
}
