#include "TestSupport.h"

#include "widgets/ClickPanel.h"
#include "app/HomeGrid.h"
#include "platform/IniFile.h"
#include "browse/CountLook.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kClosed =
    QStringLiteral("Varnel: Cannot perform this operation on a closed dataset.");

AdoQuery *query()
{
    return fmHomeAddMain->book()->query();
}

int rowsInFile(const QString &path, const QString &where = QString())
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd " + where, {"Surname"}).rows.size());
}

void click(ClickPanel *panel)
{
    QTest::mouseClick(panel, Qt::LeftButton);
}

ClickPanel *cardPanel(const char *name)
{
    return fmRecCard->findChild<ClickPanel *>(name);
}

QToolButton *navButton(const char *name)
{
    return fmHomeForm->DBNavigator1->findChild<QToolButton *>(name);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Runs `inside` once the modal county editor is up, then lets the main
// window's button open it.
void withCountyEditor(const std::function<void()> &inside)
{
    QTimer::singleShot(0, fmCountyListEdit, [inside] {
        inside();
        if (fmCountyListEdit->isVisible())
            fmCountyListEdit->reject();
    });
    QTest::mouseClick(fmHomeAddMain->btEditCounty, Qt::LeftButton);
}

QStringList listItems()
{
    return fmCountyListEdit->entries();
}

// Where Tab goes from `w`: the next widget in the focus chain that takes Tab.
QWidget *nextTabStop(QWidget *w)
{
    QWidget *n = w->nextInFocusChain();
    while (n != w && !(n->focusPolicy() & Qt::TabFocus))
        n = n->nextInFocusChain();
    return n;
}

// The offscreen test platform cannot raise windows and says so each time.
void quietRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    if (message.contains(QLatin1String("does not support raise()")))
        return;
    if (previous)
        previous(type, context, message);
}

} // namespace

class tst_entry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        quietRaise(QtDebugMsg, QMessageLogContext(), QStringLiteral("does not support raise()"));
        qInstallMessageHandler(quietRaise);
    }

    // --- Record card ---

    void cardOpensOnTheGridsRecordWithItsTextsOnTheRules()
    {
        RunningProgram program;
        query()->moveTo(2);
        QVERIFY(fmHomeAddMain->btnRecCard->isEnabled());
        QTest::mouseClick(fmHomeAddMain->btnRecCard, Qt::LeftButton);
        QVERIFY(fmRecCard->isVisible());
        QCOMPARE(fmRecCard->windowTitle(), QString("Record Card"));
        QCOMPARE(fmRecCard->size(), QSize(574, 358));
        QCOMPARE(fmRecCard->DBEdit3->text(), query()->displayText(AddressFields::Surname));
        QCOMPARE(fmRecCard->DBEdit12->text(), query()->displayText(AddressFields::Email));
        QCOMPARE(fmRecCard->focusWidget(), fmRecCard->DBEdit1);

        // A move in the grid moves the card with it.
        fmHomeAddMain->dbGrid1->setCurrentIndex(fmHomeAddMain->dbGrid1->model()->index(5, 0));
        QCOMPARE(query()->recNo(), 5);
        QCOMPARE(fmRecCard->DBEdit1->text(), query()->displayText(AddressFields::Firstname));

        // Every one-line field stands on one of the picture's rules.
        const QImage card = TfmRecCard::ruledCard();
        QCOMPARE(card.size(), QSize(583, 413));
        QList<int> rules;
        for (int y = 0; y < card.height(); ++y)
            if (card.pixelColor(10, y) != QColor(Qt::white))
                rules << y + fmRecCard->Image1->y();
        QCOMPARE(rules.size(), 14);
        QVERIFY(qAbs(rules.at(13) - rules.at(0) - 13 * 23.6) < 1.0);
        for (DBEdit *e : fmRecCard->Panel1->findChildren<DBEdit *>()) {
            const int bottom = e->geometry().bottom() + 1;
            bool onRule = false;
            for (int r : rules)
                onRule |= qAbs(bottom - r) <= 1;
            QVERIFY2(onRule, qPrintable(e->objectName()));
        }
        QCOMPARE(fmRecCard->Panel2->geometry(), QRect(93, 0, 3, fmRecCard->Panel1->height()));
        QCOMPARE(fmRecCard->Panel10->x(), 368);
        QCOMPARE(fmRecCard->Panel10->y(), 185);
    }

    void cardTabOrderAndFieldLengths()
    {
        RunningProgram program;
        TfmRecCard *c = fmRecCard;
        const QList<QWidget *> order{c->DBEdit1,  c->DBEdit2,  c->DBEdit3, c->DBEdit4,  c->DBEdit5,
                                     c->DBEdit6,  c->DBEdit7,  c->DBEdit8, c->DBEdit9,  c->DBEdit10,
                                     c->DBEdit11, c->DBEdit12, c->DBMemo2, c->DBEdit20, c->DBEdit13,
                                     c->DBEdit21, c->DBEdit19, c->DBEdit17};
        for (int i = 1; i < order.size(); ++i)
            QCOMPARE(nextTabStop(order.at(i - 1))->objectName(), order.at(i)->objectName());
        for (QWidget *w : order)
            if (auto *e = qobject_cast<DBEdit *>(w); e && e->field() != AddressFields::Birthday)
                QCOMPARE(e->maxLength(), query()->fields().at(e->field()).size);
        c->DBEdit20->selectAll();
        QTest::keyClicks(c->DBEdit20, "ABCDEFGHIJ");
        QCOMPARE(c->DBEdit20->text(), QString("ABCDEF"));
        QCOMPARE(query()->displayText(AddressFields::Flag), QString("ABCDEF"));
    }

    void nextAfterAnEditSavesWithTheSound()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        fmHomeAddMain->btnRecCard->click();
        query()->moveTo(1);
        fmRecCard->DBEdit7->selectAll();
        QTest::keyClicks(fmRecCard->DBEdit7, "Tewkesbury");
        QCOMPARE(query()->state(), DataSetState::Edit);
        // The grid shows the typing at once.
        QCOMPARE(fmHomeAddMain->dbGrid1->model()->index(1, 5).data().toString(),
                 QString("Tewkesbury"));
        click(cardPanel("Panel4"));
        QCOMPARE(query()->recNo(), 2);
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Tewkesbury'"), 1);
        click(cardPanel("Panel5"));
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(fmRecCard->DBEdit7->text(), QString("Tewkesbury"));
        QVERIFY(program.log().isEmpty());
    }

    // Two copies of the program on one book, both editing the same person:
    // the copy that saves second is refused in plain words, keeps what was
    // typed, and nothing of the first save is lost.
    void secondCopySavingTheSamePersonIsRefused()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        AdoConnection otherConnection;
        otherConnection.setConnectionString(AdoConnection::connectionStringFor(book));
        AdoQuery other(&otherConnection);
        other.setSql({"SELECT * FROM HomeAd", "ORDER BY Surname"});
        other.open();
        other.moveTo(1);
        fmHomeAddMain->btnRecCard->click();
        query()->moveTo(1);
        QCOMPARE(query()->displayText(AddressFields::Surname),
                 other.displayText(AddressFields::Surname));

        fmRecCard->DBEdit7->selectAll();
        QTest::keyClicks(fmRecCard->DBEdit7, "Tewkesbury");
        other.setFieldText(AddressFields::Town, "Pershore");
        other.post();
        click(cardPanel("Panel4")); // Next >> saves first
        QCOMPARE(
            program.log(),
            QStringList{"Varnel: Another program changed this record after it was read, so your "
                        "changes were not saved. Cancel them and reset the view to see the record "
                        "as it is now."});
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(fmRecCard->DBEdit7->text(), QString("Tewkesbury"));
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Pershore'"), 1);
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Tewkesbury'"), 0);

        // Cancelling drops our typing; the file keeps the other copy's save.
        query()->cancel();
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Pershore'"), 1);
    }

    void newRecordThenNextLeavesNothing()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        showActive(fmRecCard);
        query()->moveTo(3);
        fmRecCard->DBEdit3->setFocus();
        click(cardPanel("Panel7"));
        QCOMPARE(query()->state(), DataSetState::Insert);
        QCOMPARE(query()->recNo(), 3);
        QCOMPARE(fmRecCard->DBEdit3->text(), QString());
        QCOMPARE(QApplication::focusWidget(), fmRecCard->DBEdit1);
        click(cardPanel("Panel4"));
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(query()->recordCount(), before);
        QCOMPARE(rowsInFile(book), before);
        QVERIFY(program.platform.sound.played.isEmpty());
    }

    void newRecordTypedIsSavedAndCancelDropsIt()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        fmHomeAddMain->btnRecCard->click();
        click(cardPanel("Panel7"));
        QTest::keyClicks(fmRecCard->DBEdit3, "Zebedee");
        click(cardPanel("Panel9"));
        QCOMPARE(query()->recordCount(), before);
        click(cardPanel("Panel7"));
        QTest::keyClicks(fmRecCard->DBEdit3, "Zebedee");
        QTest::keyClicks(fmRecCard->DBMemo2, "line one");
        click(cardPanel("Panel5"));
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Zebedee' AND Notes = 'line one'"), 1);
    }

    void closeLeavesTheRecordInEditMode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("after an edit") << "Penzance";
        QTest::newRow("without editing") << "";
    }
    void closeLeavesTheRecordInEditMode()
    {
        QFETCH(QString, typed);
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        fmHomeAddMain->btnRecCard->click();
        query()->moveTo(4);
        const QString town = query()->displayText(AddressFields::Town);
        if (!typed.isEmpty()) {
            fmRecCard->DBEdit7->selectAll();
            QTest::keyClicks(fmRecCard->DBEdit7, typed);
        }
        click(cardPanel("Panel6"));
        QVERIFY(!fmRecCard->isVisible());
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        const QString shown = typed.isEmpty() ? town : typed;
        QCOMPARE(fmHomeAddMain->dbGrid1->model()->index(4, 5).data().toString(), shown);
        // Nothing is written until the record is left in the grid.
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Penzance'"), 0);
        fmHomeAddMain->dbGrid1->setCurrentIndex(fmHomeAddMain->dbGrid1->model()->index(0, 0));
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Penzance'"), typed.isEmpty() ? 0 : 1);
    }

    void deleteAsksFirst()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        fmHomeAddMain->btnRecCard->click();
        query()->moveTo(2);
        const QString surname = query()->displayText(AddressFields::Surname);
        program.platform.dialogs.answers << "Cancel";
        click(cardPanel("Panel8"));
        QCOMPARE(program.log(), QStringList{"Confirm: You are about to delete a record -> Cancel"});
        QCOMPARE(rowsInFile(book), before);
        QCOMPARE(query()->recordCount(), before);
        program.platform.dialogs.answers << "OK";
        click(cardPanel("Panel8"));
        QCOMPARE(rowsInFile(book), before - 1);
        QCOMPARE(rowsInFile(book, "WHERE Surname = '" + surname + "'"), 0);
    }

    void closedQueryMessages_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::newRow("Back") << "Panel5";
        QTest::newRow("Next") << "Panel4";
        QTest::newRow("New Record") << "Panel7";
        QTest::newRow("Delete Record") << "Panel8";
        QTest::newRow("Close") << "Panel6";
    }
    void closedQueryMessages()
    {
        QFETCH(QString, panel);
        RunningProgram program;
        fmHomeAddMain->btnRecCard->click();
        query()->close();
        QCOMPARE(fmRecCard->DBEdit3->text(), QString());
        QVERIFY(fmRecCard->DBEdit3->isReadOnly());
        QVERIFY(fmRecCard->DBMemo2->isReadOnly());
        click(cardPanel(panel.toLatin1().constData()));
        QCOMPARE(program.log().last(), kClosed);
        QVERIFY(fmRecCard->isVisible()); // "Close" fails before it closes
        QVERIFY(program.platform.sound.played.isEmpty());
        // Cancel has nothing to cancel and says nothing.
        const int logged = program.log().size();
        click(cardPanel("Panel9"));
        QCOMPARE(program.log().size(), logged);
    }

    void emptySelection()
    {
        RunningProgram program;
        query()->close();
        query()->setSql({"SELECT * FROM HomeAd WHERE Surname = 'nobody'"});
        query()->open();
        fmHomeAddMain->btnRecCard->click();
        click(cardPanel("Panel5"));
        click(cardPanel("Panel4"));
        QVERIFY(program.log().isEmpty());
        click(cardPanel("Panel8"));
        QCOMPARE(program.log().last(),
                 QString("Varnel: Cannot perform this operation on an empty dataset."));
        // Typing into an empty selection starts a new record.
        QTest::keyClicks(fmRecCard->DBEdit3, "Nobody");
        QCOMPARE(query()->state(), DataSetState::Insert);
        QCOMPARE(fmRecCard->DBEdit3->text(), QString("Nobody"));
    }

    void birthdayThatIsNoDateIsRefused()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        showActive(fmRecCard);
        query()->moveTo(1);
        const QString before = query()->displayText(AddressFields::Birthday);
        fmRecCard->DBEdit21->setFocus();
        fmRecCard->DBEdit21->selectAll();
        QTest::keyClicks(fmRecCard->DBEdit21, "notadate");
        QCOMPARE(query()->state(), DataSetState::Edit);
        fmRecCard->DBEdit1->setFocus(); // focus out hands the text over
        QCOMPARE(program.log().last(), QString("Varnel: 'notadate' is not a valid date and time."));
        QTRY_COMPARE(QApplication::focusWidget(), fmRecCard->DBEdit21);
        // Next hands it over again, is refused again, and stays.
        click(cardPanel("Panel4"));
        QCOMPARE(program.log().size(), 2);
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(query()->displayText(AddressFields::Birthday), before);
        QVERIFY(program.platform.sound.played.isEmpty());
        QCOMPARE(fmRecCard->DBEdit21->text(), QString("notadate"));

        // A real date typed there is saved by Next.
        const QString date = AdoQuery::dateTimeText(QDateTime(QDate(1970, 1, 2), QTime(0, 0)));
        fmRecCard->DBEdit21->selectAll();
        QTest::keyClicks(fmRecCard->DBEdit21, date);
        click(cardPanel("Panel4"));
        QCOMPARE(query()->recNo(), 2);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        query()->moveTo(1);
        QCOMPARE(fmRecCard->DBEdit21->text(), date);
        QCOMPARE(fmHomeForm->DBEdit14->text(), date);
    }

    // The link carries the address alone: whatever would add fields to the
    // message is encoded, and what is no address is refused.
    void emailDoubleClickStartsAMessage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("link"); // empty: refused with a message
        QTest::newRow("address") << "jo@example.org"
                                 << "mailto:jo@example.org";
        QTest::newRow("empty field") << ""
                                     << "mailto:";
        QTest::newRow("blanks around") << "  jo@example.org "
                                       << "mailto:jo@example.org";
        QTest::newRow("attachment after the domain") << "x@y.z?attach=/home/me/.ssh/id_rsa"
                                                     << "";
        QTest::newRow("bcc and body after the domain") << "x@y.z?bcc=boss@y.z&body=hi"
                                                       << "";
        QTest::newRow("fields in the local part are encoded")
            << "a?bcc=b&body=c#d@y.z"
            << "mailto:a%3Fbcc%3Db%26body%3Dc%23d@y.z";
        QTest::newRow("plus and percent") << "jo+list%41@example.org"
                                          << "mailto:jo%2Blist%2541@example.org";
        QTest::newRow("non-ASCII") << QString::fromUtf8("j\xC3\xB6ran@ex\xC3\xA4mple.se")
                                   << "mailto:j%C3%B6ran@ex%C3%A4mple.se";
        QTest::newRow("no at sign") << "call Jo first"
                                    << "";
        QTest::newRow("two addresses") << "a@b.c,d@e.f"
                                       << "";
        QTest::newRow("blank inside") << "jo @example.org"
                                      << "";
        QTest::newRow("no domain") << "jo@"
                                   << "";
        QTest::newRow("empty label") << "jo@example..org"
                                     << "";
    }
    void emailDoubleClickStartsAMessage()
    {
        QFETCH(QString, address);
        QFETCH(QString, link);
        RunningProgram program;
        fmHomeAddMain->btnRecCard->click();
        query()->setFieldText(AddressFields::Email, address);
        QCOMPARE(fmRecCard->DBEdit12->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(fmRecCard->DBEdit12->font().underline());
        QTest::mouseDClick(fmRecCard->DBEdit12, Qt::LeftButton);
        if (link.isEmpty()) {
            QVERIFY(program.platform.shell.opened.isEmpty());
            QCOMPARE(program.log(),
                     QStringList{"Error: \"" + address +
                                 "\" is not an e-mail address, so no message is started -> OK"});
        } else {
            QCOMPARE(program.platform.shell.opened, QStringList{link});
            QVERIFY(program.log().isEmpty());
        }
    }

    // A note of one unbroken 2 MB "word" wraps anywhere, the mode whose time
    // grows only with the length, and is shown whole; ordinary notes keep
    // wrapping at word boundaries.
    void aNoteOfOneHugeWordIsShownWholeAndWrapsAnywhere()
    {
        RunningProgram program;
        fmHomeAddMain->btnRecCard->click();
        DBMemo *notes = fmRecCard->DBMemo2;
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QString word(2 * 1024 * 1024, QChar('x'));
        word[12345] = QChar('y');
        query()->setFieldText(AddressFields::Notes, word);
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(notes->toPlainText(), word);
        QCOMPARE(notes->lineWrapMode(), QPlainTextEdit::WidgetWidth);

        const QString ordinary = "Met at the village fete; " + QString(80, 'w') + " likes roses";
        query()->setFieldText(AddressFields::Notes, ordinary);
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(notes->toPlainText(), ordinary);
        query()->cancelUpdates();
    }

    void doubleClickInTheGridOpensTheCard()
    {
        RunningProgram program;
        auto *grid = fmHomeAddMain->dbGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(3, 1));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(fmRecCard->isVisible());
        QCOMPARE(fmRecCard->DBEdit1->text(), grid->model()->index(3, 1).data().toString());
    }

    // --- Placement, shared between the card and the form view ---

    void cardPlacementIsSharedThroughFormViewStatus()
    {
        RunningProgram program;
        IniFile ini(IniFile::settingsPath());
        // No FormView section: both keep their places.
        fmRecCard->move(40, 50);
        fmHomeAddMain->btnRecCard->click();
        QCOMPARE(fmRecCard->frameGeometry().topLeft(), QPoint(40, 50));
        fmRecCard->move(120, 130);
        showActive(fmRecCard);
        fmRecCard->close();
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 1);
        QCOMPARE(ini.readInteger("RecCard", "Left", -1), fmRecCard->frameGeometry().left());
        QCOMPARE(ini.readInteger("RecCard", "Top", -1), fmRecCard->frameGeometry().top());
        fmRecCard->move(0, 0);
        fmHomeAddMain->btnRecCard->click();
        QCOMPARE(
            fmRecCard->frameGeometry().topLeft(),
            QPoint(ini.readInteger("RecCard", "Left", -1), ini.readInteger("RecCard", "Top", -1)));
        // The card's close lets the form view restore its own keys.
        ini.writeInteger("FormView", "Left", 210);
        ini.writeInteger("FormView", "Top", 220);
        fmHomeForm->show();
        QCOMPARE(fmHomeForm->frameGeometry().topLeft(), QPoint(210, 220));
        // Closed while another window is active: 2.
        showActive(fmHomeAddMain);
        fmHomeForm->close();
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 2);
    }

    void formViewStatusThreeMaximisesAndMinimisedWritesNoPlace()
    {
        RunningProgram program;
        IniFile ini(IniFile::settingsPath());
        ini.writeInteger("FormView", "Status", 3);
        QVERIFY(fmHomeAddMain->miRecordForm->isEnabled());
        fmHomeAddMain->miRecordForm->trigger();
        QVERIFY(fmHomeForm->isVisible());
        QVERIFY(fmHomeForm->windowState() & Qt::WindowMaximized);
        fmHomeForm->close();
        ini.writeInteger("FormView", "Status", 1);
        ini.writeInteger("FormView", "Left", 77);
        fmHomeForm->showMinimized();
        fmHomeForm->close();
        QCOMPARE(ini.readInteger("FormView", "Left", -1), 77);
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 2);
    }

    void unwritableSettingsAreReportedAndTheCardClosesAnyway()
    {
        RunningProgram program;
        QFile::remove(IniFile::settingsPath());
        QVERIFY(QDir().mkpath(IniFile::settingsPath())); // a folder where the file should be
        fmHomeAddMain->btnRecCard->click();
        fmRecCard->close();
        QVERIFY(!fmRecCard->isVisible());
        QVERIFY(!program.log().isEmpty());
        QCOMPARE(program.log().last(),
                 "Varnel: Unable to write to " + IniFile::settingsPath() + ".");
    }

    // --- Record form view ---

    void formViewNavigatorFollowsTheQuery()
    {
        RunningProgram program;
        fmHomeAddMain->miRecordForm->trigger();
        QCOMPARE(fmHomeForm->windowTitle(), QString("Varnel 3 Form View"));
        const QStringList names{"nbFirst",  "nbPrior", "nbNext", "nbLast",  "nbInsert",
                                "nbDelete", "nbEdit",  "nbPost", "nbCancel"};
        const QStringList tips{"First record", "Prior record",  "Next record",
                               "Last record",  "Insert record", "Delete record",
                               "Edit record",  "Post edit",     "Cancel edit"};
        auto enabled = [&] {
            QString s;
            for (const QString &n : names)
                s += navButton(n.toLatin1().constData())->isEnabled() ? '1' : '0';
            return s;
        };
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(navButton(names.at(i).toLatin1().constData())->toolTip(), tips.at(i));
        QCOMPARE(enabled(), QString("001111100")); // at the beginning
        QTest::mouseClick(navButton("nbNext"), Qt::LeftButton);
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(fmHomeForm->DBEdit1->text(), query()->displayText(AddressFields::Surname));
        QCOMPARE(fmHomeAddMain->dbGrid1->currentIndex().row(), 1);
        QCOMPARE(enabled(), QString("111111100"));
        QTest::mouseClick(navButton("nbLast"), Qt::LeftButton);
        QCOMPARE(enabled(), QString("110011100"));
        QTest::mouseClick(navButton("nbEdit"), Qt::LeftButton);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(enabled(), QString("110011011"));
        QTest::mouseClick(navButton("nbCancel"), Qt::LeftButton);
        query()->close();
        QCOMPARE(enabled(), QString("000000000"));
        QCOMPARE(fmHomeForm->DBEdit13->text(), QString());
        QTest::mouseClick(fmHomeForm->BitBtn1, Qt::LeftButton);
        QVERIFY(!fmHomeForm->isVisible());
    }

    void formViewInsertShowsEverywhereAndDeleteAsks()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        fmHomeAddMain->miRecordForm->trigger();
        fmHomeAddMain->btnRecCard->click();
        QTest::mouseClick(navButton("nbInsert"), Qt::LeftButton);
        QTest::keyClicks(fmHomeForm->DBEdit1, "Quayle");
        QTest::keyClicks(fmHomeForm->DBEdit10, "Isle of Man");
        QCOMPARE(fmRecCard->DBEdit3->text(), QString("Quayle"));
        QCOMPARE(fmHomeAddMain->dbGrid1->model()->index(query()->recNo(), 0).data().toString(),
                 QString("Quayle"));
        QTest::mouseClick(navButton("nbPost"), Qt::LeftButton);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Quayle' AND Country = 'Isle of Man'"), 1);

        program.platform.dialogs.answers << "Cancel";
        QTest::mouseClick(navButton("nbDelete"), Qt::LeftButton);
        QCOMPARE(program.log(), QStringList{"Confirm: Delete record? -> Cancel"});
        QCOMPARE(rowsInFile(book), before + 1);
        QTest::mouseClick(navButton("nbDelete"), Qt::LeftButton);
        QCOMPARE(rowsInFile(book), before);
    }

    void formViewRefusedBirthdayStaysInEdit()
    {
        RunningProgram program;
        fmHomeAddMain->miRecordForm->trigger();
        fmHomeForm->PageControl1->setCurrentIndex(1);
        fmHomeForm->DBEdit14->selectAll();
        QTest::keyClicks(fmHomeForm->DBEdit14, "31/31/31x");
        QTest::mouseClick(navButton("nbPost"), Qt::LeftButton);
        QCOMPARE(program.log().last(),
                 QString("Varnel: '31/31/31x' is not a valid date and time."));
        QCOMPARE(query()->state(), DataSetState::Edit);
        QVERIFY(program.platform.sound.played.isEmpty());
        QTest::mouseClick(navButton("nbCancel"), Qt::LeftButton);
        QCOMPARE(fmHomeForm->DBEdit14->text(), query()->displayText(AddressFields::Birthday));
    }

    void formViewShowsPageOneAtEveryActivation()
    {
        RunningProgram program;
        fmHomeAddMain->miRecordForm->trigger();
        QVERIFY(QTest::qWaitForWindowActive(fmHomeForm));
        QCOMPARE(fmHomeForm->PageControl1->currentWidget(), fmHomeForm->TabSheet1);
        QCOMPARE(fmHomeForm->PageControl1->tabText(0), QString("Name Address Phones"));
        QCOMPARE(fmHomeForm->PageControl1->tabText(1), QString("More Info"));
        fmHomeForm->PageControl1->setCurrentIndex(1);
        showActive(fmHomeAddMain);
        QCOMPARE(fmHomeForm->PageControl1->currentIndex(), 1);
        fmHomeAddMain->miRecordForm->trigger();
        QVERIFY(QTest::qWaitForWindowActive(fmHomeForm));
        QCOMPARE(fmHomeForm->PageControl1->currentIndex(), 0);
    }

    // --- County pick list ---

    void pickListInFileOrderInTheGridSortedInTheEditor()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, "Tyne\nAvon\nberks");
        fmHomeAddMain->loadCountyPickList();
        auto *grid = fmHomeAddMain->dbGrid1;
        QCOMPARE(grid->pickList(6), (QStringList{"Tyne", "Avon", "berks"}));

        const QModelIndex cell = grid->model()->index(0, 6);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *combo = grid->viewport()->findChild<QComboBox *>("pickListEditor");
        QVERIFY(combo);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->maxVisibleItems(), 12);
        QCOMPARE(combo->lineEdit()->maxLength(), 20);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        QCOMPARE(shown, (QStringList{"Tyne", "Avon", "berks"}));
        // Free text goes into the field as typed, and joins no list.
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "Avo");
        QTest::keyClick(combo, Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(query()->displayText(AddressFields::County), QString("Avo"));
        QCOMPARE(grid->pickList(6).size(), 3);

        withCountyEditor([] {
            QCOMPARE(listItems(), (QStringList{"Avon", "berks", "Tyne"}));
            fmCountyListEdit->edCountyList->setText("avon");
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            fmCountyListEdit->edCountyList->clear();
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QCOMPARE(listItems(), (QStringList{"", "Avon", "avon", "avon", "berks", "Tyne"}));
            QTest::mouseClick(fmCountyListEdit->btOKEdit, Qt::LeftButton);
            QVERIFY(!fmCountyListEdit->isVisible());
        });
        QCOMPARE(contents(list), QByteArray("\r\nAvon\r\navon\r\navon\r\nberks\r\nTyne\r\n"));
        QCOMPARE(grid->pickList(6), (QStringList{"", "Avon", "avon", "avon", "berks", "Tyne"}));
        QVERIFY(program.log().isEmpty());
    }

    void closeDiscardsTheEditorsChanges()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, "Tyne\r\nAvon\r\nberks\r\n");
        fmHomeAddMain->loadCountyPickList();
        withCountyEditor([] {
            fmCountyListEdit->lbCountyList->setCurrentRow(0);
            QTest::mouseClick(fmCountyListEdit->btDeleteItem, Qt::LeftButton);
            fmCountyListEdit->lbCountyList->clearSelection();
            QTest::mouseClick(fmCountyListEdit->btDeleteItem,
                              Qt::LeftButton); // nothing highlighted
            fmCountyListEdit->edCountyList->setText("Kent");
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QCOMPARE(listItems(), (QStringList{"berks", "Kent", "Tyne"}));
            QTest::mouseClick(fmCountyListEdit->BitBtn1, Qt::LeftButton);
        });
        QCOMPARE(contents(list), QByteArray("Tyne\r\nAvon\r\nberks\r\n"));
        QCOMPARE(fmHomeAddMain->dbGrid1->pickList(6), (QStringList{"Tyne", "Avon", "berks"}));
        withCountyEditor([] {
            QCOMPARE(listItems(), (QStringList{"Avon", "berks", "Tyne"}));
            QCOMPARE(fmCountyListEdit->edCountyList->text(),
                     QString("Kent")); // the entry box keeps its text
        });
    }

    void missingListFileStartsEmptyAndOkCreatesIt()
    {
        RunningProgram program({"ListFile.txt"});
        const QString list = program.folder.file("ListFile.txt");
        QCOMPARE(program.log(), QStringList{"Varnel: Cannot open file " + list + "."});
        auto *grid = fmHomeAddMain->dbGrid1;
        QVERIFY(grid->pickList(6).isEmpty());
        grid->edit(grid->model()->index(0, 6));
        QVERIFY(!grid->viewport()->findChild<QComboBox *>("pickListEditor"));
        grid->discardEditor();
        withCountyEditor([] {
            fmCountyListEdit->edCountyList->setText("Rutland");
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QTest::mouseClick(fmCountyListEdit->btOKEdit, Qt::LeftButton);
        });
        QCOMPARE(contents(list), QByteArray("Rutland\r\n"));
    }

    // A list that was not read whole is named at start-up, and OK in the
    // editor replaces it only when the user confirms.
    void listNotReadWholeIsReplacedOnlyWhenConfirmed_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("confirmed") << "OK";
        QTest::newRow("not confirmed") << "Cancel";
    }
    void listNotReadWholeIsReplacedOnlyWhenConfirmed()
    {
        QFETCH(QString, answer);
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        const QByteArray damaged("Kent\nAv\0on\nTyne\n", 16);
        putFile(list, damaged);
        fmHomeAddMain->loadCountyPickList();
        QCOMPARE(fmHomeAddMain->dbGrid1->pickList(6), (QStringList{"Kent", "Tyne"}));
        QCOMPARE(program.log().size(), 1);
        QVERIFY2(
            program.log().first().startsWith("Varnel: Line 2 of " + list + " could not be read"),
            qPrintable(program.log().first()));
        program.log().clear();
        program.platform.dialogs.answers << answer;
        withCountyEditor([] {
            fmCountyListEdit->edCountyList->setText("Rutland");
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QTest::mouseClick(fmCountyListEdit->btOKEdit, Qt::LeftButton);
            QVERIFY(!fmCountyListEdit->isVisible());
        });
        QCOMPARE(program.log(), QStringList{"Confirm: " + list +
                                            " could not be read in full. Replace it with the "
                                            "list shown here? -> " +
                                            answer});
        QCOMPARE(contents(list),
                 answer == "OK" ? QByteArray("Kent\r\nRutland\r\nTyne\r\n") : damaged);
        QCOMPARE(fmHomeAddMain->dbGrid1->pickList(6), (QStringList{"Kent", "Rutland", "Tyne"}));
    }

    void unicodeListLoadsAndIsRewrittenWithoutAQuestion()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, QByteArray("\xFF\xFEK\0e\0n\0t\0\r\0\n\0M\0\xF4\0n\0", 20));
        fmHomeAddMain->loadCountyPickList();
        QCOMPARE(fmHomeAddMain->dbGrid1->pickList(6),
                 (QStringList{"Kent", QString::fromUtf8("M\xC3\xB4n")}));
        withCountyEditor([] { QTest::mouseClick(fmCountyListEdit->btOKEdit, Qt::LeftButton); });
        QVERIFY(program.log().isEmpty());
        QCOMPARE(contents(list), QByteArray("Kent\r\nM\xC3\xB4n\r\n"));
    }

    void unwritableListFileKeepsTheNewListForTheRun()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        QFile::remove(list);
        QDir().mkpath(list); // a folder in the file's place cannot be written over
        withCountyEditor([] {
            fmCountyListEdit->edCountyList->setText("Rutland");
            QTest::mouseClick(fmCountyListEdit->btAddEdit, Qt::LeftButton);
            QTest::mouseClick(fmCountyListEdit->btOKEdit, Qt::LeftButton);
            QVERIFY(!fmCountyListEdit->isVisible());
        });
        QVERIFY(program.log().last().startsWith("Varnel: Cannot create file " + list));
        QVERIFY(fmHomeAddMain->dbGrid1->pickList(6).contains("Rutland"));
    }
};

QTEST_MAIN(tst_entry)
#include "tst_entry.moc"
