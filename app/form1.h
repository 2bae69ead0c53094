#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class LosslessTextBox;
class PasswordBox;
class RuntimeServices;
class SSCommand;
class SSPanel;

// The program's one window. Its look comes entirely from its description
// (buildControls, buildMenus); everything that happens later happens in the fourteen
// handlers below, each wired to exactly one event.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(RuntimeServices& runtime, QWidget* parent = nullptr);
    ~Form1() override;

    // The controls, by their names.
    QLabel* Image1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    SSPanel* Panel3D1 = nullptr;
    QLabel* Label3 = nullptr;
    SSCommand* SSCommand4 = nullptr;
    LosslessTextBox* txtClip = nullptr;
    SSCommand* SSCommand1 = nullptr;
    SSCommand* SSCommand2 = nullptr;
    SSCommand* SSCommand3 = nullptr;
    QLabel* Label1 = nullptr;
    PasswordBox* Text1 = nullptr;
    SSCommand* cmdKryDekry = nullptr;
    SSCommand* Command3D1 = nullptr;

    // The menus.
    QAction* mnuInfo = nullptr;
    QMenu* mnuClip = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuPaste = nullptr;

public slots:
    void cmdKryDekry_Click();
    void Command3D1_Click();
    void SSCommand1_Click();
    void SSCommand2_Click();
    void SSCommand3_Click();
    void SSCommand4_Click();
    void mnuInfo_Click();
    void mnuClip_Click();
    void mnuCopy_Click();
    void mnuCut_Click();
    void mnuPaste_Click();
    void Text1_GotFocus();
    void Text1_KeyPress(qint16& keyAscii);
    void Text1_LostFocus();

signals:
    // Emitted as each handler starts, with the handler's name: lets a test
    // see which handlers an event reached.
    void handlerEntered(const QString& name);

private:
    void buildControls();
    void buildMenus();
    void wireEvents();
    void CryptText(const QString& text, const QString& password);
    void copySelectionToClipboard();

    RuntimeServices& runtime_;
};
