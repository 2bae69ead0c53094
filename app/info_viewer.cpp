#include "app/info_viewer.h"

#include "app/application_title.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

InfoViewer::InfoViewer(const QString& path, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("infoViewer"));
    setWindowTitle(QStringLiteral("Information om %1").arg(applicationTitle()));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("infoText"));
    text->setReadOnly(true);
    text->setAccessibleName(windowTitle());
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        text->setPlainText(QString::fromUtf8(file.readAll()));
    } else {
        text->setPlainText(QStringLiteral("Filen %1 kunde inte läsas: %2").arg(path, file.errorString()));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Stäng"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(620, 520);
}
