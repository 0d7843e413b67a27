#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/ScriptedPlatform.h"
#include "platform/VarnelError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QtTest>

class tst_platform : public QObject
{
    Q_OBJECT
private slots:
    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Cannot open file" << "Cannot open file.";
        QTest::newRow("digit") << "Error 42" << "Error 42.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("bang sorts before the stop") << "Stop!" << "Stop!";
        QTest::newRow("closing quote sorts after") << "'x' is not a valid date and time"
                                                   << "'x' is not a valid date and time.";
        QTest::newRow("trailing blank") << "Text " << "Text ";
        QTest::newRow("colon sorts after") << "Reason:" << "Reason:.";
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(Platform::errorBoxText(message), shown);
    }

    void guardShowsTheErrorAndEndsTheAction()
    {
        ScriptedPlatform platform;
        bool after = false;
        const bool ok = guarded(nullptr, [&] {
            throw VarnelError(QStringLiteral("Cannot perform this operation on a closed dataset"));
            after = true;
        });
        QVERIFY(!ok);
        QVERIFY(!after);
        QCOMPARE(platform.dialogs.log,
                 QStringList{"Varnel: Cannot perform this operation on a closed dataset."});
        QVERIFY(guarded(nullptr, [] {}));
        QCOMPARE(platform.dialogs.log.size(), 1);
    }
    // File > Printer Setup is the desktop's printer dialog: a choice of
    // printer, closed with OK, from which nothing is printed.
    void printerSetupOffersTheChoiceOfPrinter()
    {
        Platform::setDialogs(nullptr);
        QPrinter printer;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(dialog->findChild<QComboBox *>(QStringLiteral("printers")));
            QStringList buttons;
            for (QDialogButtonBox *box : dialog->findChildren<QDialogButtonBox *>())
                for (QAbstractButton *b : box->buttons())
                    buttons << b->text();
            QVERIFY2(buttons.contains("OK"), qPrintable(buttons.join(',')));
            QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintToFile));
            seen = true;
            dialog->reject();
        });
        QVERIFY(!Platform::dialogs().printerSetup(nullptr, &printer));
        QVERIFY(seen);
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
