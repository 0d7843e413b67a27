#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/ScriptedPlatform.h"
#include "platform/VarnelError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
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

    // The desktop's save dialog, answered as a user would: a name typed
    // without an ending gets the ending of the type picked in the dialog.
    void aBareNameTakesTheEndingOfThePickedType_data()
    {
        QTest::addColumn<int>("typeDown");     // presses of Down on the type list
        QTest::addColumn<QString>("bareName"); // the request's ending for bare names
        QTest::addColumn<QString>("saved");
        QTest::newRow("first type, the default") << 0 << ""
                                                 << "letter.txt";
        QTest::newRow("Rich Text Format") << 1 << ""
                                          << "letter.rtf";
        QTest::newRow("All Files keeps the default") << 2 << ""
                                                     << "letter.txt";
        QTest::newRow("back to the first type") << -1 << ""
                                                << "letter.txt";
        QTest::newRow("RTF content, first type") << 0 << "rtf"
                                                 << "letter.rtf";
        QTest::newRow("RTF content, text type picked") << -1 << "rtf"
                                                       << "letter.rtf";
    }
    void aBareNameTakesTheEndingOfThePickedType()
    {
        QFETCH(int, typeDown);
        QFETCH(QString, bareName);
        QFETCH(QString, saved);
        Platform::setDialogs(nullptr);
        QTemporaryDir dir;
        FileDialogRequest r;
        r.caption = QStringLiteral("Save As");
        r.folder = dir.path();
        r.filters = {QStringLiteral("Text Files (*.txt)"),
                     QStringLiteral("Rich Text Format (*.rtf)"), QStringLiteral("All Files (*)")};
        r.defaultSuffix = QStringLiteral("txt");
        r.bareNameSuffix = bareName;
        r.confirmOverwrite = false;
        bool answered = false;
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!d)
                return;
            auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!types || !name) {
                d->reject();
                return;
            }
            if (typeDown < 0) { // there and back again
                QTest::keyClick(types, Qt::Key_Down);
                QTest::keyClick(types, Qt::Key_Up);
            }
            for (int i = 0; i < typeDown; ++i)
                QTest::keyClick(types, Qt::Key_Down);
            name->setText(QStringLiteral("letter"));
            QTest::keyClick(name, Qt::Key_Return);
            answered = true;
            if (d->isVisible())
                d->reject();
        });
        const QString chosen = Platform::dialogs().saveFile(nullptr, r);
        QVERIFY(answered);
        QCOMPARE(QFileInfo(chosen).fileName(), saved);
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
