#include "app/form1.h"

#include "app/clipboard_keys.h"
#include "app/fonts.h"
#include "app/form_client_area.h"
#include "app/lossless_text_box.h"
#include "app/password_box.h"
#include "app/password_privacy.h"
#include "app/ss_command.h"
#include "app/ss_panel.h"
#include "app/status_line.h"
#include "app/window_palette.h"
#include "resources/velmora_resources.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

namespace {

// Colours of the description, as QColor.
const QColor kNavy(0, 0, 128);
const QColor kLightGrey(192, 192, 192);
const QColor kLightYellow(255, 255, 224);

// Positions and sizes are given in twips; 15 twips make one pixel.
QRect twips(int left, int top, int width, int height) { return {left / 15, top / 15, width / 15, height / 15}; }

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    widget->setPalette(p);
}

template <class Label = QLabel>
Label* makeLabel(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* label = new Label(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

SSCommand* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry) {
    auto* button = new SSCommand(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setGeometry(geometry);
    button->setForeColor(kNavy);
    return button;
}

}  // namespace

Form1::Form1(RuntimeServices& runtime, QWidget* parent) : QMainWindow(parent), runtime_(runtime) {
    setObjectName(QStringLiteral("Form1"));
    hidePasswordsFromAssistiveTechnology();
    buildControls();
    buildMenus();
    wireEvents();
}

Form1::~Form1() {
    // Qt's own destruction of the window takes the focus from the control
    // that has it (the password box reports LostFocus), when this object is
    // no longer a Form1: no handler may run once the window is going.
    for (QObject* control : findChildren<QObject*>()) control->disconnect(this);
}

void Form1::buildControls() {
    setWindowTitle(QStringLiteral("Mail   Kryptering / Dekryptering"));
    setWindowIcon(QIcon(QString::fromLatin1(velmora::resources::kKeyIcon)));

    auto* client = new FormClientArea(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(467, 406);
    client->setPicture(QPixmap(QString::fromLatin1(velmora::resources::kBackground)));
    client->setFont(msSansSerif(8.25, true));
    client->setPalette(windowPalette());  // the window's look is its own, whatever the desktop's theme
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Image1 = makeLabel(client, QStringLiteral("Image1"), twips(90, 30, 480, 480));
    Image1->setPixmap(QIcon(QString::fromLatin1(velmora::resources::kWheelIcon)).pixmap(32, 32));

    Label4 = makeLabel<StatusLine>(client, QStringLiteral("Label4"), twips(1560, 210, 4065, 345));
    Label4->setFont(msSansSerif(9.75, true));
    setTextColor(Label4, kNavy);

    Label2 = makeLabel(client, QStringLiteral("Label2"), twips(780, 1620, 5115, 375));
    Label2->setFont(msSansSerif(12, true));

    Panel3D1 = new SSPanel(client);
    Panel3D1->setObjectName(QStringLiteral("Panel3D1"));
    Panel3D1->setGeometry(twips(120, 2010, 6015, 2775));
    Panel3D1->setBackColor(kLightGrey);
    Panel3D1->setFont(msSansSerif(8.25, true));
    const QPoint inner = Panel3D1->innerOrigin();

    Label3 = makeLabel(Panel3D1, QStringLiteral("Label3"), twips(90, 420, 1545, 1695).translated(inner));
    Label3->setText(velmora::resources::text(velmora::resources::kLabel3Caption));
    Label3->setWordWrap(true);
    Label3->setAutoFillBackground(true);
    {
        QPalette p = Label3->palette();
        p.setColor(QPalette::Window, kLightGrey);
        p.setColor(QPalette::WindowText, kNavy);
        Label3->setPalette(p);
    }

    SSCommand4 = makeButton(Panel3D1, QStringLiteral("SSCommand4"), QStringLiteral("&Markera Allt"),
                            twips(180, 2250, 1455, 375).translated(inner));

    txtClip = new LosslessTextBox(Panel3D1);
    txtClip->setObjectName(QStringLiteral("txtClip"));
    txtClip->setAccessibleName(QStringLiteral("Text att kryptera eller dekryptera"));
    txtClip->setGeometry(twips(1740, 90, 4215, 2535).translated(inner));
    txtClip->setFont(msSansSerif(8.25, false));
    txtClip->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtClip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtClip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtClip->setTabChangesFocus(true);  // Tab moves on, as in every other control
    {
        QPalette p = txtClip->palette();
        p.setColor(QPalette::Base, kLightYellow);
        p.setColor(QPalette::Text, Qt::black);
        txtClip->setPalette(p);
    }
    txtClip->setText(velmora::resources::text(velmora::resources::kHelpText));

    SSCommand1 =
        makeButton(client, QStringLiteral("SSCommand1"), QStringLiteral("&Kopiera"), twips(1920, 4860, 975, 375));
    SSCommand2 =
        makeButton(client, QStringLiteral("SSCommand2"), QStringLiteral("Klipp &Ut"), twips(3510, 4860, 975, 375));
    SSCommand3 =
        makeButton(client, QStringLiteral("SSCommand3"), QStringLiteral("Klistra &In"), twips(5160, 4860, 975, 375));

    Label1 = makeLabel(client, QStringLiteral("Label1"), twips(60, 5370, 2085, 255));
    Label1->setText(QStringLiteral("Skriv in lösenord/nyckel"));
    setTextColor(Label1, kNavy);

    Text1 = new PasswordBox(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Lösenord"));
    Text1->setGeometry(twips(90, 5610, 1785, 360));
    Text1->setFont(msSansSerif(12, true));
    Text1->setBackColor(kLightYellow);

    const QPixmap buttonPicture(QString::fromLatin1(velmora::resources::kButton));
    cmdKryDekry = makeButton(client, QStringLiteral("cmdKryDekry"), QStringLiteral("Kryptera / Dekryptera"),
                             twips(2790, 5520, 2415, 450));
    cmdKryDekry->setFont(msSansSerif(9.75, true));
    cmdKryDekry->setPicture(buttonPicture);

    Command3D1 = makeButton(client, QStringLiteral("Command3D1"), QStringLiteral("&Exit"), twips(6150, 5520, 735, 450));
    Command3D1->setFont(msSansSerif(9.75, true));
    Command3D1->setPicture(buttonPicture);

    // Tab order by tab index; Qt closes the chain back to the first.
    QWidget* const order[] = {Command3D1, Text1, cmdKryDekry, txtClip, SSCommand1, SSCommand2, SSCommand3, SSCommand4};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    Command3D1->setFocus(Qt::OtherFocusReason);
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    // "Info" has no items: a click on the title is its Click.
    mnuInfo = bar->addAction(QStringLiteral("Info"));
    mnuInfo->setObjectName(QStringLiteral("mnuInfo"));

    mnuClip = bar->addMenu(QStringLiteral("KlippBord"));
    mnuClip->setObjectName(QStringLiteral("mnuClip"));
    mnuClip->menuAction()->setObjectName(QStringLiteral("mnuClipAction"));

    mnuCopy = mnuClip->addAction(QStringLiteral("Kopiera"));
    mnuCopy->setObjectName(QStringLiteral("mnuCopy"));
    mnuCopy->setShortcuts(clipboardKeys(QKeySequence::Copy));

    mnuCut = mnuClip->addAction(QStringLiteral("Klipp Ut"));
    mnuCut->setObjectName(QStringLiteral("mnuCut"));
    mnuCut->setShortcuts(clipboardKeys(QKeySequence::Cut));

    mnuPaste = mnuClip->addAction(QStringLiteral("Klistra In"));
    mnuPaste->setObjectName(QStringLiteral("mnuPaste"));
    mnuPaste->setShortcuts(clipboardKeys(QKeySequence::Paste));

    for (QAction* item : {mnuCopy, mnuCut, mnuPaste}) {
        item->setShortcutContext(Qt::WindowShortcut);
        item->setShortcutVisibleInContextMenu(true);
        // Also reachable while the menu is closed: the window owns the keys.
        addAction(item);
    }
}

void Form1::wireEvents() {
    connect(cmdKryDekry, &SSCommand::clicked, this, &Form1::cmdKryDekry_Click);
    connect(Command3D1, &SSCommand::clicked, this, &Form1::Command3D1_Click);
    connect(SSCommand1, &SSCommand::clicked, this, &Form1::SSCommand1_Click);
    connect(SSCommand2, &SSCommand::clicked, this, &Form1::SSCommand2_Click);
    connect(SSCommand3, &SSCommand::clicked, this, &Form1::SSCommand3_Click);
    connect(SSCommand4, &SSCommand::clicked, this, &Form1::SSCommand4_Click);
    connect(mnuInfo, &QAction::triggered, this, &Form1::mnuInfo_Click);
    connect(mnuClip, &QMenu::aboutToShow, this, &Form1::mnuClip_Click);
    connect(mnuCopy, &QAction::triggered, this, &Form1::mnuCopy_Click);
    connect(mnuCut, &QAction::triggered, this, &Form1::mnuCut_Click);
    connect(mnuPaste, &QAction::triggered, this, &Form1::mnuPaste_Click);
    connect(Text1, &PasswordBox::gotFocus, this, &Form1::Text1_GotFocus);
    connect(Text1, &PasswordBox::keyPress, this, &Form1::Text1_KeyPress);
    connect(Text1, &PasswordBox::lostFocus, this, &Form1::Text1_LostFocus);
}
