// The window driven by real key and mouse events: what it shows, which
// handler each event reaches, and what the commands do with text, password,
// clipboard, a text a mail path changed and the Info file.
#include "tests/app/form1_fixture.h"

#include "app/info_command_line.h"
#include "app/info_viewer.h"
#include "cipher/blanks.h"
#include "cipher/cp1252.h"
#include "cipher/text_cipher.h"
#include "cipher/text_position.h"
#include "mailsim/mail_corpus.h"
#include "mailsim/mail_damage.h"
#include "repair/repair.h"
#include "resources/messages.h"
#include "resources/velmora_resources.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <random>

namespace {

const QString kDone = QStringLiteral("Kryptering / Dekryptering  Klar  OK");
const QString kWarning = QStringLiteral("Viktigt !!  Om du inte kommer ihåg\r\nLösenordet kan du aldrig Dekryptera ");
const QColor kFocusColour(166, 202, 240), kRestColour(255, 255, 224), kNavy(0, 0, 128), kGrey(192, 192, 192);

QString fromCodes(std::initializer_list<int> codes) {
    QString text;
    for (int c : codes) text += QChar(velmora::cp1252::toUnicode(static_cast<std::uint8_t>(c)));
    return text;
}

QString cipher(const QString& text, const QString& password) {
    const std::u16string whole = password.toStdU16String();
    const auto trimmed = velmora::trimBlanks(whole);
    return QString::fromStdU16String(std::get<std::u16string>(velmora::cryptText(text.toStdU16String(), trimmed)));
}

}  // namespace

class WindowTest : public Form1Test {
protected:
    void typePassword(const QString& password) {
        focus(form->Text1);
        form->Text1->clear();
        typeText(form->Text1, password);
    }
    // "&Markera Allt", the password typed, the button, the warning answered.
    void encryptAll(const QString& password, int answer = RuntimeServices::Ok) {
        click(form->SSCommand4);
        typePassword(password);
        runtime.answers.push_back(answer);
        click(form->cmdKryDekry);
    }
    QStringList prompts() const {
        QStringList list;
        for (const auto& box : runtime.messageBoxes) list << box.prompt + "/" + QString::number(box.style);
        return list;
    }
    void clickMenuTitle(QAction* title) {
        QTest::mouseClick(form->menuBar(), Qt::LeftButton, {}, form->menuBar()->actionGeometry(title).center());
    }
};

TEST_F(WindowTest, WhatTheWindowShowsAtStart) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Mail   Kryptering / Dekryptering"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(467, 406));
    EXPECT_EQ(form->txtClip->text(), velmora::resources::text(velmora::resources::kHelpText));
    EXPECT_EQ(form->Label4->text() + form->Label2->text() + form->Text1->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), form->Command3D1);
    EXPECT_EQ(form->txtClip->palette().color(QPalette::Base), kRestColour);
    EXPECT_EQ(form->txtClip->palette().color(QPalette::Inactive, QPalette::Highlight),
              kRestColour);  // no selection shown unfocused
    EXPECT_EQ(form->Panel3D1->palette().color(QPalette::Window), kGrey);
    const QPalette own = form->centralWidget()->palette();           // the window's, whatever the desktop's theme
    for (const auto group : {QPalette::Active, QPalette::Inactive})  // text stands out from its ground
        for (const auto& [text, ground] : {std::pair{QPalette::WindowText, QPalette::Window},
                                           {QPalette::Text, QPalette::Base},
                                           {QPalette::ButtonText, QPalette::Button}})
            EXPECT_GE(std::abs(qGray(own.color(group, text).rgb()) - qGray(own.color(group, ground).rgb())), 128);
    EXPECT_EQ(QFontInfo(form->txtClip->font()).family(), QStringLiteral("Liberation Sans"));
    for (const char* name : {"Image1", "Label1", "Label2", "Label3", "Label4", "Panel3D1", "Text1", "txtClip",
                             "cmdKryDekry", "Command3D1", "SSCommand1", "SSCommand2", "SSCommand3", "SSCommand4",
                             "mnuClip", "mnuCopy", "mnuCut", "mnuPaste", "mnuInfo"})
        EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;  // tools and tests find each control by name
    for (const auto& [button, caption] : {std::pair{form->SSCommand4, "&Markera Allt"},
                                          {form->SSCommand1, "&Kopiera"},
                                          {form->SSCommand2, "Klipp &Ut"},
                                          {form->SSCommand3, "Klistra &In"},
                                          {form->cmdKryDekry, "Kryptera / Dekryptera"},
                                          {form->Command3D1, "&Exit"}}) {
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
        EXPECT_EQ(button->foreColor(), kNavy);
        EXPECT_EQ(button->grab().toImage().pixelColor(1, 1), QColor(Qt::white)) << "raised: lit from the top left";
    }
}

TEST_F(WindowTest, TabOrder) {
    const QList<QWidget*> order = {form->Command3D1, form->Text1,      form->cmdKryDekry, form->txtClip,
                                   form->SSCommand1, form->SSCommand2, form->SSCommand3,  form->SSCommand4};
    for (qsizetype i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i % order.size()]) << "tab " << i;
    }
}

TEST_F(WindowTest, EachEventReachesItsHandler) {
    const auto alt = [&](Qt::Key key) { return [&, key] { QTest::keyClick(form->Command3D1, key, Qt::AltModifier); }; };
    const struct {
        QWidget* focus;
        std::function<void()> event;
        QStringList handlers;
    } rows[] = {
        {form->Command3D1, [&] { click(form->SSCommand1); }, {"SSCommand1_Click", "mnuCopy_Click"}},
        {form->Command3D1, [&] { click(form->SSCommand3); }, {"SSCommand3_Click", "mnuPaste_Click"}},
        {form->Command3D1, [&] { click(form->SSCommand4); }, {"SSCommand4_Click"}},
        {form->Command3D1, alt(Qt::Key_M), {"SSCommand4_Click"}},
        {form->Command3D1, alt(Qt::Key_K), {"SSCommand1_Click", "mnuCopy_Click"}},
        {form->Command3D1, [&] { QTest::keyClick(form->Command3D1, Qt::Key_Tab); }, {"Text1_GotFocus"}},
        {form->Text1, [&] { QTest::keyClicks(form->Text1, "ab"); }, {"Text1_KeyPress", "Text1_KeyPress"}},
        {form->Text1, [&] { QTest::keyClick(form->Text1, Qt::Key_Tab); }, {"Text1_LostFocus"}},
        {form->Text1, [&] { QTest::keyClick(form->Text1, Qt::Key_C, Qt::ControlModifier); }, {"mnuCopy_Click"}},
        {form->Text1, [&] { QTest::keyClick(form->Text1, Qt::Key_X, Qt::ControlModifier); }, {"mnuCut_Click"}},
        {form->txtClip, [&] { QTest::keyClick(form->txtClip, Qt::Key_C, Qt::ControlModifier); }, {"mnuCopy_Click"}},
        {form->Command3D1, [&] { clickMenuTitle(form->mnuInfo); }, {"mnuInfo_Click"}},
        {form->Command3D1,
         [&] {
             clickMenuTitle(form->mnuClip->menuAction());
             QTest::keyClick(form->mnuClip, Qt::Key_Escape);
         },
         {"mnuClip_Click"}},
        {form->Command3D1,
         [&] {
             clickMenuTitle(form->mnuClip->menuAction());
             QTest::mouseClick(form->mnuClip, Qt::LeftButton, {},
                               form->mnuClip->actionGeometry(form->mnuCopy).center());
         },
         {"mnuClip_Click", "mnuCopy_Click"}},
        {form->txtClip,
         [&] {  // events with no handler of their own
             QTest::keyClicks(form->txtClip, "hej");
             click(form->Label1);
             QTest::mouseDClick(form->txtClip->viewport(), Qt::LeftButton);
         },
         {}},
    };
    for (const auto& row : rows) {
        focus(row.focus);
        takeHandlers();
        row.event();
        QStringList ran = takeHandlers();
        if (row.focus != form->Text1) ran.removeAll(QStringLiteral("Text1_LostFocus"));
        EXPECT_EQ(ran, row.handlers) << row.handlers.join(' ').toStdString();
    }
}

TEST_F(WindowTest, PasswordShowsStarsAndNeverLeavesTheBox) {
    focus(form->Text1);
    QTest::keyClicks(form->Text1, "hemlis");
    EXPECT_EQ(form->Text1->displayText(), QStringLiteral("******"));
    runtime.setClipboardText(QStringLiteral("förra"));
    form->Text1->selectAll();
    QTest::keyClick(form->Text1, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("hemlis"));
    EXPECT_NE(runtime.clipboard, QStringLiteral("hemlis"));
    EXPECT_NE(QGuiApplication::clipboard()->text(), QStringLiteral("hemlis"));
    const QString longPassword(40000, QLatin1Char('k'));  // no length limit of its own
    form->Text1->setText(longPassword);
    EXPECT_EQ(form->Text1->text(), longPassword);
    // One line: of what is put in, what comes before its first line end stays.
    for (const auto& [put, kept] :
         {std::pair{"Hemligt7\r\nnästa", "abHemligt7cd"}, {"\nx", "abcd"}, {"x\ry\n", "abxcd"}}) {
        form->Text1->setText(QStringLiteral("abcd"));
        form->Text1->setCursorPosition(2);
        form->Text1->insert(QString::fromUtf8(put));
        EXPECT_EQ(form->Text1->text(), QString::fromUtf8(kept));
        EXPECT_EQ(form->Text1->cursorPosition(), QString::fromUtf8(kept).size() - 2);  // before "cd"
    }
}

TEST_F(WindowTest, RefusalsChangeNothing) {
    const QString text = QStringLiteral("rad ett\r\nrad två \u0142 slut");
    const struct {
        int start, length;
        QString password;
        int answer;
        QString prompt;
    } refusals[] = {
        {0, 0, "pw", RuntimeServices::Ok, "Du måste markera text/64"},
        {0, 5, "", RuntimeServices::Ok, "Du har glömt lösenord/16"},
        {0, 5, "   ", RuntimeServices::Ok, "Du har glömt lösenord/16"},
        {3, 9, "nyckel", RuntimeServices::Cancel, kWarning + "/17"},
        {4, 19, "pw", RuntimeServices::Ok,  // line and column in the text box, not in the selection
         "Texten innehåller tecknet U+0142 på rad 2, kolumn 9, som inte finns i teckentabellen Windows-1252 och "
         "inte kan krypteras./16"},
        {0, 3, "  ab\u0142", RuntimeServices::Ok,
         "Lösenordet innehåller tecknet U+0142 på rad 1, kolumn 5, som inte finns i teckentabellen Windows-1252./16"},
    };
    for (const auto& r : refusals) {
        runtime.messageBoxes.clear();
        form->txtClip->setText(text);
        select(r.start, r.length);
        typePassword(r.password);
        form->Label4->setText(QStringLiteral("förra"));
        runtime.answers = {r.answer};
        focus(form->SSCommand1);
        click(form->cmdKryDekry);
        EXPECT_EQ(prompts(), QStringList{r.prompt});
        EXPECT_EQ(form->txtClip->text(), text);
        EXPECT_EQ(form->txtClip->selStart(), r.start);
        EXPECT_EQ(form->txtClip->selLength(), r.length);
        EXPECT_EQ(form->Label4->text(), QStringLiteral("förra"));
        EXPECT_EQ(runtime.randomGenerator().state(), velmora::RtcRandom::kInitialState);
        EXPECT_TRUE(runtime.pointerChanges.isEmpty());
        if (r.prompt.startsWith("Du har")) {
            EXPECT_EQ(QApplication::focusWidget(), form->Text1);
            EXPECT_EQ(form->Text1->backColor(), kFocusColour);
        }
    }
}

// Random selections of random codes, then whole mails, both ways: where
// nothing changed on the way no repair is offered.
TEST_F(WindowTest, RoundTripOfRandomSelectionsAndOfMails) {
    int pointerDuringWarning = -1;
    runtime.whileMessageBoxOpen = [&] { pointerDuringWarning = runtime.pointer; };
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> code(1, 255), kind(0, 7), length(1, 400);
    const QString passwords[] = {"Hemligt7", "  blank runt  ", "åäö€ x", "q"};
    const auto mails = velmora::mailtest::mailCorpus(200, 5);
    for (int round = 0; round < 24 + static_cast<int>(mails.size()); ++round) {
        const bool mail = round >= 24;
        const auto k = static_cast<std::size_t>(round - 24);
        QString text = mail ? QString::fromStdU16String(mails[k]) : QString();
        const QString password =
            mail ? QString::fromStdU16String(velmora::mailtest::passwordFor(k)) : passwords[round % 4];
        for (int n = length(rng); !mail && text.size() < n;)
            text += QStringList{"\r\n", "\n", "\r", fromCodes({code(rng)})}[std::min(kind(rng), 3)];
        form->txtClip->setText(text);
        const int from = mail ? 0 : std::uniform_int_distribution<int>(0, static_cast<int>(text.size()) - 1)(rng);
        select(from, mail ? static_cast<int>(text.size())
                          : std::uniform_int_distribution<int>(1, static_cast<int>(text.size()) - from)(rng));
        const QString selection = form->txtClip->selText();
        typePassword(password);
        runtime.messageBoxes.clear();
        runtime.pointerChanges.clear();
        click(form->cmdKryDekry);
        ASSERT_EQ(form->txtClip->text(), cipher(selection, password)) << "round " << round;
        EXPECT_EQ(form->Label4->text(), kDone);
        EXPECT_EQ(pointerDuringWarning, 0);  // the busy cursor only during the run
        EXPECT_EQ(runtime.pointerChanges, (QList<int>{11, 0}));
        click(form->SSCommand4);  // Enter does what the button does
        QTest::keyClick(form->Text1, round % 2 ? Qt::Key_Return : Qt::Key_Enter,
                        round % 2 ? Qt::NoModifier : Qt::KeypadModifier);
        ASSERT_EQ(form->txtClip->text(), selection) << "round " << round;
        EXPECT_EQ(prompts(), (QStringList{kWarning + "/17", kWarning + "/17"})) << "round " << round;
    }
}

TEST_F(WindowTest, OffersTheRepairedReadingOfATextAMailPathChanged) {
    using namespace velmora;
    const QString sent = QString::fromStdU16String(mailtest::mailCorpus(1, 3).front());
    const QString password = QString::fromStdU16String(mailtest::passwordFor(0));
    const QString received =
        QString::fromStdU16String(mailtest::hardWrap(mailtest::lineEndsCrLf(cipher(sent, password).toStdU16String())));
    const auto offered = repair::repairText(received.toStdU16String(), password.toStdU16String());
    ASSERT_EQ(offered.outcome, repair::Outcome::Repaired);
    const QString before = QStringLiteral("Vidarebefordrat:\r\n> ");  // counted where the first change stands
    const auto first = locate((before + received).toStdU16String(),
                              static_cast<std::size_t>(before.size()) + offered.changes.front().position);
    const QString question =
        QString::fromUtf16(messages::repairQuestion).arg(offered.changes.size()).arg(first.line).arg(first.column);
    for (const int answer : {RuntimeServices::Yes, RuntimeServices::No}) {
        form->txtClip->setText(before + received);
        select(static_cast<int>(before.size()), static_cast<int>(received.size()));
        typePassword(password);
        runtime.messageBoxes.clear();
        runtime.pointerChanges.clear();
        runtime.answers = {RuntimeServices::Ok, answer};
        runtime.whileMessageBoxOpen = [&] { runtime.pointerChanges.append(-1); };  // a box open
        click(form->cmdKryDekry);
        EXPECT_EQ(prompts(), (QStringList{kWarning + "/17", question + "/36"}));
        EXPECT_EQ(form->txtClip->text(), answer == RuntimeServices::Yes ? sent : cipher(received, password));
        EXPECT_EQ(form->Label4->text(), kDone);
        EXPECT_EQ(runtime.pointerChanges, (QList<int>{-1, 11, 0, -1, 11, 0}));  // no hourglass while the user decides
    }
}

// The buttons, the menu and the other keys, from either box, alike.
TEST_F(WindowTest, CopyAndCutFromButtonsMenuAndKeysAlike) {
    const auto key = [this](QWidget* box, Qt::Key k, Qt::KeyboardModifier m) -> std::function<void()> {
        return [this, box, k, m] { focus(box), QTest::keyClick(box, k, m); };
    };
    const std::pair<std::function<void()>, bool> ways[] = {
        {[&] { click(form->SSCommand1); }, false},
        {[&] { form->mnuCopy->trigger(); }, false},
        {[&] { click(form->SSCommand2); }, true},
        {[&] { form->mnuCut->trigger(); }, true},
        {key(form->Text1, Qt::Key_Insert, Qt::ControlModifier), false},
        {key(form->txtClip, Qt::Key_Insert, Qt::ControlModifier), false},
        {key(form->Text1, Qt::Key_Delete, Qt::ShiftModifier), true},
        {key(form->txtClip, Qt::Key_Delete, Qt::ShiftModifier), true},
    };
    const QString text = QStringLiteral("ett\r\ntvå\ntre");
    form->Text1->setText(QStringLiteral("hemlis"));
    for (const auto& [way, cut] : ways) {
        form->txtClip->setText(text);
        select(3, 6);
        runtime.setClipboardText(QStringLiteral("gammalt"));
        const int clears = runtime.clipboardClears;
        form->Label4->setText(kDone);
        way();
        EXPECT_EQ(runtime.clipboard, QStringLiteral("\r\ntvå\n"));
        EXPECT_GT(runtime.clipboardClears, clears);
        EXPECT_EQ(form->txtClip->text(), cut ? QStringLiteral("etttre") : text);
        EXPECT_EQ(form->Label4->text(), QString());
        EXPECT_EQ(form->Text1->text(), QStringLiteral("hemlis"));
        // With nothing selected, the clipboard is emptied and the text stays.
        form->txtClip->setSelStart(2);
        runtime.setClipboardText(QStringLiteral("gammalt"));
        way();
        EXPECT_TRUE(runtime.clipboardHasText);
        EXPECT_EQ(runtime.clipboard, QString());
        EXPECT_EQ(form->txtClip->text(), cut ? QStringLiteral("etttre") : text);
    }
}

TEST_F(WindowTest, PasteFromEitherBoxAndKlippBordFocusTheText) {
    typePassword(QStringLiteral("lösen"));
    for (QWidget* box : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->txtClip)}) {
        for (const auto& [k, m] : {std::pair{Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier}}) {
            form->txtClip->setText(QStringLiteral("ett\r\ntvå"));
            runtime.setClipboardText(QStringLiteral("rad\r\nrad\n"));
            select(2, 3);
            form->Label4->setText(kDone);
            focus(box);
            QTest::keyClick(box, k, m);  // replaces everything
            EXPECT_EQ(form->txtClip->text(), QStringLiteral("rad\r\nrad\n"));
            EXPECT_EQ(QApplication::focusWidget(), form->txtClip);
            EXPECT_EQ(form->Text1->text(), QStringLiteral("lösen"));
            EXPECT_EQ(form->Text1->backColor(), kRestColour);
            EXPECT_EQ(form->Label4->text(), QString());
        }
    }
    EXPECT_EQ(
        QKeySequence::listToString({form->mnuCopy->shortcut(), form->mnuCut->shortcut(), form->mnuPaste->shortcut()}),
        QStringLiteral("Ctrl+C; Ctrl+X; Ctrl+V"));  // what the menu shows

    focus(form->Text1);
    form->Label4->setText(kDone);
    clickMenuTitle(form->mnuClip->menuAction());  // opening KlippBord focuses the text
    QTest::keyClick(form->mnuClip, Qt::Key_Escape);
    EXPECT_EQ(form->Label4->text(), QString());
    EXPECT_EQ(form->Text1->backColor(), kRestColour);
}

TEST_F(WindowTest, InfoOpensTheFileBesideTheProgramInAnEditorOrItsOwnWindow) {
    form->Label4->setText(kDone);
    const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/a b it's; rm -rf ~ \"x\"XXXXXX"));
    QFile info(dir.filePath(QStringLiteral("Info.txt")));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly) && info.write("Hjälp\r\nrad två\r\n") > 0);
    info.close();
    runtime.programDirectory = dir.path();
    clickMenuTitle(form->mnuInfo);  // an editor started: nothing of the program's own
    EXPECT_EQ(form->findChild<InfoViewer*>(), nullptr);
    runtime.startSucceeds = false;
    clickMenuTitle(form->mnuInfo);
    ASSERT_EQ(runtime.launches.size(), 2);
    EXPECT_EQ(runtime.launches[1], std::pair(QStringLiteral("xdg-open"), QStringList{info.fileName()}));
    auto* viewer = form->findChild<InfoViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Information om Velmora"));
    auto* shown = viewer->findChild<QPlainTextEdit*>();
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_EQ(shown->toPlainText(), QStringLiteral("Hjälp\nrad två\n"));
    EXPECT_TRUE(viewer->findChild<QDialogButtonBox*>()->y() > shown->geometry().bottom() &&  // "Stäng" below
                shown->height() > viewer->height() / 2);                                     // the text, filling
    EXPECT_EQ(form->Label4->text(), kDone);
    EXPECT_TRUE(runtime.messageBoxes.isEmpty());
    EXPECT_EQ(windowsInfoCommandLine(QStringLiteral("C:\\Program Files\\Tools")),
              QStringLiteral("NotePad.exe C:\\Program Files\\Tools\\Info.txt"));
    EXPECT_EQ(windowsInfoCommandLine(QStringLiteral("C:\\")), QStringLiteral("NotePad.exe C:\\\\Info.txt"));
}
