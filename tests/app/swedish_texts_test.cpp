// Every word Qt itself puts on the program's message boxes is Swedish,
// without any translation package.
#include "qt_runtime_services.h"
#include "swedish_translator.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

TEST(SwedishTexts, MessageBoxButtonsTitleAndAnswers) {
    SwedishTranslator swedish;
    QApplication::installTranslator(&swedish);
    QtRuntimeServices runtime;
    for (const bool accept : {false, true}) {
        QStringList seen;
        QTimer::singleShot(0, [&seen, accept] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            seen << box->windowTitle() << "default " + box->defaultButton()->text();
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            accept ? box->defaultButton()->click() : box->reject();  // Enter or Escape
        });
        EXPECT_EQ(runtime.msgBox(nullptr, QStringLiteral("Prov"), 17), accept ? RuntimeServices::Ok : RuntimeServices::Cancel);
        seen.sort();
        EXPECT_EQ(seen, (QStringList{"Avbryt", "OK", "Velmora", "default OK"}));
    }
    QApplication::removeTranslator(&swedish);
}
