// The window's commands through real events: encrypt/decrypt with its
// checks and warning, the clipboard and selection commands, the password
// box's colours and Enter, Info.
#include "form1_fixture.h"

#include "cp1252.h"
#include "info_command_line.h"
#include "text_cipher.h"

#include <QMenuBar>
#include <QTimer>

#include "blanks.h"

#include <random>

namespace {

const QString kDone = QStringLiteral("Kryptering / Dekryptering  Klar  OK");
const QString kWarning = QStringLiteral("Viktigt !!  Om du inte kommer ihåg\r\nLösenordet kan du aldrig Dekryptera ");
const QColor kFocusColour(166, 202, 240);
const QColor kRestColour(255, 255, 224);

QString fromCodes(std::initializer_list<int> codes) {
    QString text;
    for (int c : codes) text += QChar(velmora::cp1252::toUnicode(static_cast<std::uint8_t>(c)));
    return text;
}

QString cipher(const QString& text, const QString& password) {
    return QString::fromStdU16String(
        std::get<std::u16string>(velmora::cryptText(text.toStdU16String(), password.toStdU16String())));
}

QString randomText(std::mt19937& rng, int length) {
    std::uniform_int_distribution<int> code(1, 255);
    std::uniform_int_distribution<int> kind(0, 7);
    QString text;
    while (text.size() < length) {
        switch (kind(rng)) {
        case 0: text += QStringLiteral("\r\n"); break;
        case 1: text += QLatin1Char('\n'); break;
        case 2: text += QLatin1Char('\r'); break;
        default: text += QChar(velmora::cp1252::toUnicode(static_cast<std::uint8_t>(code(rng))));
        }
    }
    return text.left(length);
}

} // namespace

class CommandsTest : public Form1Test {
protected:
    // Types a password into Text1 the way a user does.
    void typePassword(const QString& password) {
        focus(form->Text1);
        form->Text1->clear();
        typeText(form->Text1, password);
    }

    // Selects the whole text with "&Markera Allt", types the password and
    // presses the button; the warning is answered with answer.
    void encryptAll(const QString& password, int answer = RuntimeServices::Ok) {
        click(form->SSCommand4);
        typePassword(password);
        runtime.answers.push_back(answer);
        click(form->cmdKryDekry);
    }

    QStringList prompts() const {
        QStringList list;
        for (const auto& box : runtime.messageBoxes) list << box.prompt;
        return list;
    }
};

// --- Encrypt/decrypt -----------------------------------------------------

TEST_F(CommandsTest, NoSelectionIsRefusedBeforeThePasswordIsLookedAt) {
    const QString before = form->txtClip->text();
    form->Label4->setText(kDone);
    click(form->cmdKryDekry);
    ASSERT_EQ(runtime.messageBoxes.size(), 1);
    EXPECT_EQ(runtime.messageBoxes[0].prompt, QStringLiteral("Du måste markera text"));
    EXPECT_EQ(runtime.messageBoxes[0].style, 64);
    EXPECT_EQ(form->txtClip->text(), before);
    EXPECT_EQ(form->Label4->text(), kDone);
    EXPECT_EQ(runtime.randomGenerator().state(), velmora::RtcRandom::kInitialState);
    EXPECT_TRUE(runtime.pointerChanges.isEmpty());
}

TEST_F(CommandsTest, EmptyOrBlankPasswordIsForgotten) {
    for (const QString& password : {QString(), QStringLiteral("   ")}) {
        runtime.messageBoxes.clear();
        select(0, 5);
        typePassword(password);
        focus(form->SSCommand1);
        click(form->cmdKryDekry);
        ASSERT_EQ(runtime.messageBoxes.size(), 1) << password.size();
        EXPECT_EQ(runtime.messageBoxes[0].prompt, QStringLiteral("Du har glömt lösenord"));
        EXPECT_EQ(runtime.messageBoxes[0].style, 16);
        EXPECT_EQ(QApplication::focusWidget(), form->Text1);
        EXPECT_EQ(form->Text1->backColor(), kFocusColour);
        EXPECT_EQ(form->txtClip->selLength(), 5);
    }
}

TEST_F(CommandsTest, CancelOnTheWarningChangesNothing) {
    form->txtClip->setText(QStringLiteral("första raden\r\nandra raden"));
    form->Label4->setText(QStringLiteral("förra"));
    select(3, 9);
    typePassword(QStringLiteral("nyckel"));
    runtime.answers.push_back(RuntimeServices::Cancel);
    click(form->cmdKryDekry);
    ASSERT_EQ(runtime.messageBoxes.size(), 1);
    EXPECT_EQ(runtime.messageBoxes[0].prompt, kWarning);
    EXPECT_EQ(runtime.messageBoxes[0].style, 17);
    EXPECT_EQ(form->txtClip->text(), QStringLiteral("första raden\r\nandra raden"));
    EXPECT_EQ(form->txtClip->selStart(), 3);
    EXPECT_EQ(form->txtClip->selLength(), 9);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("förra"));
    EXPECT_EQ(runtime.randomGenerator().state(), velmora::RtcRandom::kInitialState);
}

TEST_F(CommandsTest, KnownAnswerThroughTheWindow) {
    form->txtClip->setText(QStringLiteral("Hej då!\r\n"));
    encryptAll(QStringLiteral("Hemligt7"));
    EXPECT_EQ(prompts(), QStringList{kWarning});
    EXPECT_EQ(form->txtClip->text(), fromCodes({0x42, 0x27, 0x2C, 0xCE, 0x17, 0x3A, 0xA5, 0x7B, 0xEE}));
    EXPECT_EQ(form->Label4->text(), kDone);
    EXPECT_EQ(runtime.pointerChanges, (QList<int>{11, 0}));
}

TEST_F(CommandsTest, EnterInThePasswordBoxDoesWhatTheButtonDoes) {
    // Nothing selected: the same refusal as the button's.
    typePassword(QStringLiteral("x"));
    QTest::keyClick(form->Text1, Qt::Key_Return);
    EXPECT_EQ(prompts(), QStringList{"Du måste markera text"});

    // Selection but an empty box.
    runtime.messageBoxes.clear();
    select(0, 3);
    typePassword(QString());
    QTest::keyClick(form->Text1, Qt::Key_Return);
    EXPECT_EQ(prompts(), QStringList{"Du har glömt lösenord"});

    // Both: the warning, then the run.
    runtime.messageBoxes.clear();
    form->txtClip->setText(QStringLiteral("Hej då!\r\n"));
    click(form->SSCommand4);
    typePassword(QStringLiteral("Hemligt7"));
    QTest::keyClick(form->Text1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(prompts(), QStringList{kWarning});
    EXPECT_EQ(form->txtClip->text(), fromCodes({0x42, 0x27, 0x2C, 0xCE, 0x17, 0x3A, 0xA5, 0x7B, 0xEE}));
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Hemligt7"));
}

TEST_F(CommandsTest, OtherKeysNeverStartTheCipher) {
    select(0, 10);
    typePassword(QStringLiteral("abc def\t1"));
    EXPECT_TRUE(runtime.messageBoxes.isEmpty());
    EXPECT_EQ(form->Label4->text(), QString());
}

TEST_F(CommandsTest, ResultReplacesTheWholeText) {
    form->txtClip->setText(QStringLiteral("abc DEF ghi"));
    select(4, 3);
    typePassword(QStringLiteral("pw"));
    click(form->cmdKryDekry);
    EXPECT_EQ(form->txtClip->text(), cipher(QStringLiteral("DEF"), QStringLiteral("pw")));
    EXPECT_EQ(form->txtClip->text().size(), 3);
}

TEST_F(CommandsTest, RoundTripThroughTheWindowForRandomTexts) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> length(1, 400);
    const QString passwords[] = {QStringLiteral("Hemligt7"), QStringLiteral("  blank runt  "),
                                 QStringLiteral("åäö€ x"), QStringLiteral("q")};
    for (int round = 0; round < 24; ++round) {
        const QString text = randomText(rng, length(rng));
        const QString typed = passwords[round % 4];
        const QString trimmed = QString::fromStdU16String(
            std::u16string(velmora::trimBlanks(typed.toStdU16String())));
        form->txtClip->setText(text);
        std::uniform_int_distribution<int> start(0, static_cast<int>(text.size()) - 1);
        const int from = start(rng);
        std::uniform_int_distribution<int> count(1, static_cast<int>(text.size()) - from);
        select(from, count(rng));
        const QString selection = form->txtClip->selText();
        ASSERT_FALSE(selection.isEmpty());

        typePassword(typed);
        runtime.answers.push_back(RuntimeServices::Ok);
        click(form->cmdKryDekry);
        const QString encrypted = form->txtClip->text();
        // Blanks around the password make no difference.
        ASSERT_EQ(encrypted, cipher(selection, trimmed)) << "round " << round;

        encryptAll(typed);
        ASSERT_EQ(form->txtClip->text(), selection) << "round " << round;
        EXPECT_EQ(form->Label4->text(), kDone);
    }
}

TEST_F(CommandsTest, TwoRunsGiveTheSameOutput) {
    form->txtClip->setText(QStringLiteral("samma text, samma nyckel"));
    encryptAll(QStringLiteral("nyckel"));
    const QString first = form->txtClip->text();
    form->txtClip->setText(QStringLiteral("samma text, samma nyckel"));
    encryptAll(QStringLiteral("nyckel"));
    EXPECT_EQ(form->txtClip->text(), first);
}

TEST_F(CommandsTest, UnmappableCharactersAreRefusedBeforeTheWarning) {
    const QString text = QStringLiteral("rad ett\r\nrad två \u0142 slut");
    form->txtClip->setText(text);
    select(4, static_cast<int>(text.size()) - 4);
    typePassword(QStringLiteral("pw"));
    form->Label4->setText(QStringLiteral("förra"));
    click(form->cmdKryDekry);
    ASSERT_EQ(runtime.messageBoxes.size(), 1);
    EXPECT_EQ(runtime.messageBoxes[0].style, 16);
    // Line and column in the text box, not in the selection.
    EXPECT_EQ(runtime.messageBoxes[0].prompt,
              QStringLiteral("Texten innehåller tecknet U+0142 på rad 2, kolumn 9, som inte finns i "
                             "teckentabellen Windows-1252 och inte kan krypteras."));
    EXPECT_EQ(form->txtClip->text(), text);
    EXPECT_EQ(form->Label4->text(), QStringLiteral("förra"));
    EXPECT_TRUE(runtime.pointerChanges.isEmpty());

    runtime.messageBoxes.clear();
    select(0, 3);
    typePassword(QStringLiteral("  ab\u0142"));
    click(form->cmdKryDekry);
    ASSERT_EQ(runtime.messageBoxes.size(), 1);
    EXPECT_TRUE(runtime.messageBoxes[0].prompt.startsWith(QStringLiteral("Lösenordet innehåller tecknet U+0142")));
    EXPECT_TRUE(runtime.messageBoxes[0].prompt.contains(QStringLiteral("kolumn 5")));
    EXPECT_EQ(form->txtClip->text(), text);
}

TEST_F(CommandsTest, BusyCursorOnlyDuringTheRun) {
    form->txtClip->setText(QStringLiteral("text"));
    int pointerDuringWarning = -1;
    runtime.whileMessageBoxOpen = [&] { pointerDuringWarning = runtime.pointer; };
    encryptAll(QStringLiteral("pw"));
    EXPECT_EQ(pointerDuringWarning, 0);
    EXPECT_EQ(runtime.pointerChanges, (QList<int>{11, 0}));
    EXPECT_EQ(runtime.pointer, 0);
}

// --- Clipboard and selection ---------------------------------------------

TEST_F(CommandsTest, CopyFromButtonMenuAndKeysAlike) {
    form->txtClip->setText(QStringLiteral("ett\r\ntvå\ntre"));
    const QString expected = QStringLiteral("\r\ntvå\n");
    const std::function<void()> ways[] = {
        [&] { click(form->SSCommand1); },
        [&] { form->mnuCopy->trigger(); },
        [&] {
            focus(form->Text1);
            QTest::keyClick(form->Text1, Qt::Key_C, Qt::ControlModifier);
        },
        [&] {
            focus(form->txtClip);
            QTest::keyClick(form->txtClip, Qt::Key_C, Qt::ControlModifier);
        },
    };
    int way = 0;
    for (const auto& copy : ways) {
        select(3, 6);
        runtime.setClipboardText(QStringLiteral("gammalt"));
        form->Label4->setText(kDone);
        copy();
        EXPECT_EQ(runtime.clipboard, expected) << "way " << way;
        EXPECT_GE(runtime.clipboardClears, 1);
        EXPECT_EQ(form->txtClip->text(), QStringLiteral("ett\r\ntvå\ntre")) << "way " << way;
        EXPECT_EQ(form->Label4->text(), QString()) << "way " << way;
        // The keys leave the focus where it was.
        if (way == 2) {
            EXPECT_EQ(QApplication::focusWidget(), form->Text1);
        }
        if (way == 3) {
            EXPECT_EQ(QApplication::focusWidget(), form->txtClip);
        }
        ++way;
    }
}

TEST_F(CommandsTest, CopyAndCutWithNothingSelectedEmptyTheClipboard) {
    form->txtClip->setText(QStringLiteral("allt stannar"));
    for (SSCommand* button : {form->SSCommand1, form->SSCommand2}) {
        form->txtClip->setSelStart(4);
        runtime.setClipboardText(QStringLiteral("gammalt"));
        click(button);
        EXPECT_TRUE(runtime.clipboardHasText);
        EXPECT_EQ(runtime.clipboard, QString());
        EXPECT_EQ(form->txtClip->text(), QStringLiteral("allt stannar"));
    }
}

TEST_F(CommandsTest, CutThenPasteLeavesOnlyTheCutText) {
    form->txtClip->setText(QStringLiteral("före MITTEN efter"));
    select(5, 6);
    form->Label4->setText(kDone);
    click(form->SSCommand2);
    EXPECT_EQ(runtime.clipboard, QStringLiteral("MITTEN"));
    EXPECT_EQ(form->txtClip->text(), QStringLiteral("före  efter"));
    EXPECT_EQ(form->Label4->text(), QString());

    form->mnuCut->trigger();  // nothing selected now
    EXPECT_EQ(form->txtClip->text(), QStringLiteral("före  efter"));

    runtime.setClipboardText(QStringLiteral("MITTEN"));
    click(form->SSCommand3);
    EXPECT_EQ(form->txtClip->text(), QStringLiteral("MITTEN"));
}

TEST_F(CommandsTest, CutFromMenuEqualsTheButton) {
    for (int way = 0; way < 3; ++way) {
        form->txtClip->setText(QStringLiteral("a\rb\nc\r\nd"));
        select(1, 4);
        if (way == 0) click(form->SSCommand2);
        if (way == 1) form->mnuCut->trigger();
        if (way == 2) {
            focus(form->Text1);
            QTest::keyClick(form->Text1, Qt::Key_X, Qt::ControlModifier);
        }
        EXPECT_EQ(runtime.clipboard, QStringLiteral("\rb\nc")) << way;
        EXPECT_EQ(form->txtClip->text(), QStringLiteral("a\r\nd")) << way;
    }
}

TEST_F(CommandsTest, PasteReplacesEverythingAndMovesTheFocus) {
    typePassword(QStringLiteral("lösen"));
    runtime.setClipboardText(QStringLiteral("inklistrat\r\nmed\rradbrytningar\n"));
    select(2, 3);
    form->Label4->setText(kDone);
    QTest::keyClick(form->Text1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->txtClip->text(), QStringLiteral("inklistrat\r\nmed\rradbrytningar\n"));
    EXPECT_EQ(QApplication::focusWidget(), form->txtClip);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("lösen"));
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
    EXPECT_EQ(form->Label4->text(), QString());

    runtime.clearClipboard();
    click(form->SSCommand3);
    EXPECT_EQ(form->txtClip->text(), QString());
}

TEST_F(CommandsTest, SelectAll) {
    form->txtClip->setText(QStringLiteral("rad\r\nrad\n"));
    focus(form->Text1);
    QTest::keyClick(form->Text1, Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), form->txtClip);
    EXPECT_EQ(form->txtClip->selStart(), 0);
    EXPECT_EQ(form->txtClip->selLength(), 9);
    EXPECT_EQ(form->txtClip->selText(), QStringLiteral("rad\r\nrad\n"));

    form->txtClip->setText(QString());
    click(form->SSCommand4);
    EXPECT_EQ(form->txtClip->selStart(), 0);
    EXPECT_EQ(form->txtClip->selLength(), 0);
}

TEST_F(CommandsTest, OpeningKlippBordShowsAndFocusesTheTextArea) {
    focus(form->Text1);
    form->Label4->setText(kDone);
    QMenuBar* bar = form->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form->mnuClip->menuAction()).center());
    EXPECT_EQ(form->Label4->text(), QString());
    // Escape closes the menu, a second Escape leaves the menu bar.
    QTest::keyClick(form->mnuClip, Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), form->txtClip)
        << QApplication::focusWidget()->metaObject()->className() << " " << QApplication::focusWidget()->objectName().toStdString();
    EXPECT_TRUE(form->txtClip->isVisible());
    EXPECT_TRUE(form->Label3->isVisible());
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
}

TEST_F(CommandsTest, SelectionSurvivesTypingThePassword) {
    form->txtClip->setText(QStringLiteral("markera mig"));
    select(8, 3);
    typePassword(QStringLiteral("lösenord"));
    EXPECT_EQ(form->txtClip->selText(), QStringLiteral("mig"));
}

// --- Password box ---------------------------------------------------------

TEST_F(CommandsTest, PasswordBoxColoursFollowTheFocus) {
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
    QTest::keyClick(form->Command3D1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->Text1);
    EXPECT_EQ(form->Text1->backColor(), kFocusColour);
    QTest::keyClick(form->Text1, Qt::Key_Tab);
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
    QTest::mouseClick(form->Text1, Qt::LeftButton);
    EXPECT_EQ(form->Text1->backColor(), kFocusColour);
    click(form->SSCommand1);
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
}

// --- Info and Exit ----------------------------------------------------------

TEST_F(CommandsTest, InfoStartsTheEditorOnTheFileBesideTheProgram) {
    form->Label4->setText(kDone);
    runtime.programDirectory = QStringLiteral("/home/a b/it's; rm -rf ~ \"x\"");
    QMenuBar* bar = form->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form->mnuInfo).center());
    form->mnuInfo->trigger();
    ASSERT_EQ(runtime.launches.size(), 2);
    for (const auto& launch : runtime.launches) {
        EXPECT_EQ(launch.program, QStringLiteral("xdg-open"));
        EXPECT_EQ(launch.arguments, QStringList{"/home/a b/it's; rm -rf ~ \"x\"/Info.txt"});
    }
    EXPECT_EQ(form->Label4->text(), kDone);
    EXPECT_TRUE(runtime.messageBoxes.isEmpty());
}

TEST_F(CommandsTest, InfoFailingDoesNothingVisible) {
    runtime.startSucceeds = false;
    runtime.programDirectory = QString();
    form->Label4->setText(QStringLiteral("kvar"));
    form->mnuInfo->trigger();
    EXPECT_EQ(runtime.launches.size(), 1);
    EXPECT_TRUE(runtime.messageBoxes.isEmpty());
    EXPECT_EQ(form->Label4->text(), QStringLiteral("kvar"));
    EXPECT_TRUE(form->isVisible());
}

TEST(InfoCommandLine, WindowsCommandLineIsBuiltAsTheEditorExpects) {
    EXPECT_EQ(windowsInfoCommandLine(QStringLiteral("C:\\Program Files\\Tools")),
              QStringLiteral("NotePad.exe C:\\Program Files\\Tools\\Info.txt"));
    // The separator is always added.
    EXPECT_EQ(windowsInfoCommandLine(QStringLiteral("C:\\")), QStringLiteral("NotePad.exe C:\\\\Info.txt"));
    EXPECT_EQ(windowsInfoCommandLine(QString()), QStringLiteral("NotePad.exe \\Info.txt"));
}

TEST_F(CommandsTest, ExitRightAfterARunAsksNothing) {
    form->txtClip->setText(QStringLiteral("okopierat resultat"));
    encryptAll(QStringLiteral("pw"));
    runtime.messageBoxes.clear();
    EXPECT_TRUE(eventLoopEndsAfter(form.get(), [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
    }));
    EXPECT_TRUE(runtime.messageBoxes.isEmpty());
    EXPECT_FALSE(form->isVisible());
}
