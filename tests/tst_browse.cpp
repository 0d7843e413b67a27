#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "browse/HelponSearch.h"
#include "browse/JSQLSEARCH.h"
#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/StatementTranslator.h"
#include "store/TextMatch.h"
#include "store/TextOrder.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

using Lines = QStringList;

// Every row of the file, in the file's order: its surname and one other field.
QList<QPair<QString, QVariant>> everyone(const QString &path, const QString &field)
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    QList<QPair<QString, QVariant>> rows;
    for (const AdoConnection::Row &r :
         c.select("SELECT * FROM HomeAd ORDER BY ID", {"Surname", field}).rows)
        rows << qMakePair(r.values.at(0).toString(), r.values.at(1));
    return rows;
}

void addPerson(const QString &path, const QString &surname, const QString &notes)
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.insertRow({"Surname", "Notes"}, {surname, notes});
}

// The surnames of the selected records, in their order: the running
// program's, or those of `q`.
QStringList surnamesShown(AdoQuery *q = nullptr)
{
    QStringList names;
    if (!q)
        q = mainWindow()->book()->query();
    for (int r = 0; r < q->recordCount(); ++r)
        names << q->displayText(r, AddressFields::Surname);
    return names;
}

TfmSQLSearchDialog *dialog()
{
    return topLevel<TfmSQLSearchDialog>("fmSQLSearchDialog");
}

ToggleListBox *fieldList()
{
    return named<ToggleListBox>(dialog(), "sqListBox");
}

QLineEdit *wordBox()
{
    return named<QLineEdit>(dialog(), "sqEditBox");
}

QCheckBox *notBox()
{
    return named<QCheckBox>(dialog(), "cboxNot");
}

QPushButton *dialogButton(const char *name)
{
    return named<QPushButton>(dialog(), name);
}

AdoQuery *mainQuery()
{
    return mainWindow()->book()->query();
}

DBGrid *grid()
{
    return named<DBGrid>(mainWindow(), "dbGrid1");
}

void clickTitle(int column)
{
    emit grid()->horizontalHeader()->sectionClicked(column);
}

void clickEntry(const QString &name)
{
    ToggleListBox *list = fieldList();
    const auto items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
}

// The search as a person makes it: open the dialog, pick the field, type the
// word, press OK.
void searchFor(const QString &field, const QString &word, bool exclude = false)
{
    dialog()->show();
    ToggleListBox *list = fieldList();
    for (QListWidgetItem *item : list->selectedItems())
        clickEntry(item->text());
    clickEntry(field);
    wordBox()->setText(word);
    notBox()->setChecked(exclude);
    QTest::mouseClick(dialogButton("sqOKBtn"), Qt::LeftButton);
}

// The letter group's button `id`: 0 to 25 are A to Z, 26 is "All".
QRadioButton *letter(int id)
{
    const QString text = id < 26 ? QString(QChar('A' + id)) : QStringLiteral("All");
    return named<QRadioButton>(mainWindow(), "RadioGroup1_" + text);
}

// The letter group's checked button, -1 for none.
int checkedLetter()
{
    for (int id = 0; id < 27; ++id)
        if (letter(id)->isChecked())
            return id;
    return -1;
}

QStringList sortedNames(QStringList names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class tst_browse : public QObject
{
    Q_OBJECT
private slots:
    // ---- The engine's reading of the program's statements ----

    void translatesTheProgramsStatements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("sql"); // empty: not one of the program's forms
        QTest::addColumn<QVariantList>("values");
        const QString all = "SELECT * FROM HomeAd";
        QTest::newRow("designed") << "SELECT * FROM HomeAd\nORDER BY Surname"
                                  << all + " ORDER BY \"Surname\" COLLATE VARNEL_NOCASE"
                                  << QVariantList{};
        QTest::newRow("letter")
            << "SELECT * FROM HomeAd WHERE Surname LIKE 'B%'\nOrder by Surname"
            << all + " WHERE varnel_like(?, \"Surname\") ORDER BY \"Surname\" COLLATE VARNEL_NOCASE"
            << QVariantList{"B%"};
        QTest::newRow("dialog reset")
            << "SELECT * FROM HomeAd\nORDER by Surname"
            << all + " ORDER BY \"Surname\" COLLATE VARNEL_NOCASE" << QVariantList{};
        QTest::newRow("search") << "SELECT * from HomeAd\nWHERE\nTown\nLIKE\n\"%bury%\""
                                << all + " WHERE varnel_like(?, \"Town\")"
                                << QVariantList{"%bury%"};
        QTest::newRow("name with a blank")
            << "SELECT * from HomeAd\nWHERE\nWork Tel\nNOT LIKE\n\"%01%\""
            << all + " WHERE NOT varnel_like(?, \"Work Tel\")" << QVariantList{"%01%"};
        QTest::newRow("worked-out Cap")
            << "SELECT * from HomeAd\nWHERE\nCap\nLIKE\n\"%B%\""
            << all + " WHERE varnel_like(?, substr(\"Surname\", 1, 1))" << QVariantList{"%B%"};
        QTest::newRow("Flag2 is not Flag")
            << "SELECT * from HomeAd\nWHERE\nFlag2\nLIKE\n\"%x%\""
            << all + " WHERE varnel_like(?, \"Flag2\")" << QVariantList{"%x%"};
        QTest::newRow("quotes end at the last one")
            << "SELECT * from HomeAd\nWHERE\nNotes\nLIKE\n\"%a\" OR \"\"=\"%\""
            << all + " WHERE varnel_like(?, \"Notes\")" << QVariantList{"%a\" OR \"\"=\"%"};
        QTest::newRow("doubled single quote")
            << "SELECT * FROM HomeAd WHERE Surname LIKE 'O''B%'"
            << all + " WHERE varnel_like(?, \"Surname\")" << QVariantList{"O'B%"};
        QTest::newRow("other statements pass")
            << "SELECT * FROM HomeAd WHERE Surname = 'x'" << QString() << QVariantList{};
        QTest::newRow("unknown field")
            << "SELECT * from HomeAd WHERE Nickname LIKE \"%a%\"" << QString() << QVariantList{};
        QTest::newRow("WorkTel without the blank")
            << "SELECT * from HomeAd WHERE WorkTel LIKE \"%a%\"" << QString() << QVariantList{};
        QTest::newRow("text after the pattern")
            << "SELECT * from HomeAd WHERE Town LIKE \"%a%\" ORDER BY Town" << QString()
            << QVariantList{};
        QTest::newRow("unclosed single quote")
            << "SELECT * FROM HomeAd WHERE Surname LIKE 'B%" << QString() << QVariantList{};
        QTest::newRow("another table")
            << "SELECT * FROM sqlite_master" << QString() << QVariantList{};
    }
    void translatesTheProgramsStatements()
    {
        QFETCH(QString, statement);
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        const StatementTranslator::Translated t = StatementTranslator::translate(statement);
        QCOMPARE(t.recognised, !sql.isEmpty());
        if (t.recognised) {
            QCOMPARE(t.sql, sql);
            QCOMPARE(t.values, values);
        }
    }

    void likeMatching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("capital finds small") << "A%"
                                             << "adams" << true;
        QTest::newRow("small finds capital") << "%jo%"
                                             << "JOHN" << true;
        QTest::newRow("accented capital") << "%é%"
                                          << "ÉLIE" << true;
        QTest::newRow("accented small") << "Ø%"
                                        << "østergaard" << true;
        QTest::newRow("Greek") << "%ΩΜΈΓΑ%"
                               << "ωμέγα" << true;
        QTest::newRow("accents still count") << "e%"
                                             << "Élie" << false;
        QTest::newRow("percent: any run") << "%son"
                                          << "Robinson" << true;
        QTest::newRow("percent: nothing") << "%%"
                                          << "" << true;
        QTest::newRow("underscore: one") << "J_n%"
                                         << "Jones" << true;
        QTest::newRow("underscore: exactly one") << "J_n"
                                                 << "Jn" << false;
        QTest::newRow("underscore: one letter, not one byte") << "_lie"
                                                              << "Élie" << true;
        QTest::newRow("must end") << "Rob%x"
                                  << "Robinson" << false;
        QTest::newRow("backtracks") << "%ab%c"
                                    << "aabxabc" << true;
        QTest::newRow("anchored start") << "son%"
                                        << "Robinson" << false;
        QTest::newRow("no pattern, no text") << ""
                                             << "" << true;
    }
    void likeMatching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(TextMatch::like(pattern, text), matches);
        const QByteArray p = pattern.toUtf8(), t = text.toUtf8();
        QCOMPARE(TextMatch::likeUtf8(p.constData(), int(p.size()), t.constData(), int(t.size())),
                 matches);
    }

    void likeEscape()
    {
        QVERIFY(TextMatch::like("100!%", "100%", '!'));
        QVERIFY(!TextMatch::like("100!%", "1000", '!'));
        QVERIFY(TextMatch::like("a!_b", "a_b", '!'));
        QVERIFY(!TextMatch::like("a!_b", "axb", '!'));
    }

    // Every field the dialog offers gives rows, not an engine error, and the
    // rows are the ones whose value holds the word.
    void everyListedFieldCanBeSearched_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("word");
        QTest::newRow("Work Tel") << "Work Tel"
                                  << "01";
        QTest::newRow("Cap") << "Cap"
                             << "B";
        QTest::newRow("Birthday") << "Birthday"
                                  << "19";
        QTest::newRow("Notes") << "Notes"
                               << "card";
        QTest::newRow("Surname, accents") << "Surname"
                                          << "é";
    }
    void everyListedFieldCanBeSearched()
    {
        QFETCH(QString, field);
        QFETCH(QString, word);
        QTemporaryDir dir;
        const QString book = copyOfSample(dir);
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        AdoQuery q(&c);
        q.setSql({"SELECT * from HomeAd", "WHERE", field, "LIKE", "\"%" + word + "%\""});
        q.open();
        const int f = AddressFields::indexOf(field);
        QStringList found;
        for (int r = 0; r < q.recordCount(); ++r) {
            q.moveTo(r);
            found << q.displayText("Surname");
            // Cap and Birthday are compared as the file holds them.
            const QString value = f == AddressFields::Cap ? q.displayText("Surname").left(1)
                                  : f == AddressFields::Birthday
                                      ? q.fieldValue(f).toDateTime().toString("yyyy-MM-dd")
                                      : q.displayText(f);
            QVERIFY2(value.contains(word, Qt::CaseInsensitive), qPrintable(value));
        }
        QVERIFY(!found.isEmpty());
        // NOT LIKE gives the others that hold a value; together they are
        // every row with the field filled.
        q.close();
        q.setSql({"SELECT * from HomeAd", "WHERE", field, "NOT LIKE", "\"%" + word + "%\""});
        q.open();
        int filled = 0;
        for (const auto &row : everyone(book, f == AddressFields::Cap ? "Surname" : field))
            filled += row.second.isNull() ? 0 : 1;
        QCOMPARE(found.size() + q.recordCount(), filled);
    }

    // Sorting in place: the order a person expects for names, dates as dates.
    void sortOrdersNamesAndDates()
    {
        QTemporaryDir dir;
        const QString book = copyOfSample(dir);
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        AdoQuery q(&c);
        q.setSql({"SELECT * FROM HomeAd"});
        q.open();
        q.setSort("Surname ASC");
        QStringList names;
        for (int r = 0; r < q.recordCount(); ++r)
            names << q.displayText(r, AddressFields::Surname);
        QVERIFY(names.indexOf("adams") == names.indexOf("Abbot") + 1);
        QVERIFY(names.indexOf("Élie") > names.indexOf("Edwards") &&
                names.indexOf("Élie") < names.indexOf("Farrow"));
        q.setSort("Birthday DESC");
        QDateTime prev;
        for (int r = 0; r < q.recordCount(); ++r) {
            q.moveTo(r);
            const QDateTime d = q.fieldValue("Birthday").toDateTime();
            if (!d.isValid())
                continue;
            if (prev.isValid())
                QVERIFY(prev >= d);
            prev = d;
        }
    }

    // ---- The dialog and the main window ----

    void dialogLooksAsDesigned()
    {
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        TfmSQLSearchDialog *d = dialog();
        QCOMPARE(d->windowTitle(), QString("Varnel 3 SQL Search"));
        QCOMPARE(d->minimumSize(), QSize(333, 315));
        QCOMPARE(d->maximumSize(), QSize(333, 315));
        QVERIFY(d->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(d->windowFlags() & Qt::WindowMaximizeButtonHint));
        QStringList entries;
        for (int i = 0; i < fieldList()->count(); ++i)
            entries << fieldList()->item(i)->text();
        QCOMPARE(entries, (QStringList{"Surname", "Midname", "Firstname", "Address1", "Address2",
                                       "A3_Village", "Town", "County", "PostCode", "Country", "Tel",
                                       "Cell", "Email", "Birthday", "Notes", "Workplace",
                                       "Work Tel", "Flag", "Cap"}));
        // The right column, top to bottom, and its hints.
        const QList<QWidget *> column{notBox(), dialogButton("sqRetryBtn"), dialogButton("sqOKBtn"),
                                      dialogButton("sqCancelBtn"), dialogButton("sqHelpBtn")};
        for (int i = 1; i < column.size(); ++i)
            QVERIFY(column.at(i)->y() > column.at(i - 1)->y());
        QCOMPARE(notBox()->text(), QString("NOT Search"));
        QCOMPARE(notBox()->toolTip(), QString("Check to EXCLUDE a word from filtered table"));
        QCOMPARE(dialogButton("sqRetryBtn")->toolTip(), QString("Shows all names"));
        QCOMPARE(dialogButton("sqOKBtn")->toolTip(), QString("Starts search"));
        QCOMPARE(dialogButton("sqCancelBtn")->toolTip(),
                 QString("Cancels entry & closes this box"));
        QVERIFY(dialogButton("sqOKBtn")->isDefault());
        // First opening starts in the list; Tab goes on to the word, OK,
        // Cancel, Reset, Help and NOT.
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d));
        QCOMPARE(QApplication::focusWidget(), fieldList());
        const QList<QWidget *> tabs{wordBox(),
                                    dialogButton("sqOKBtn"),
                                    dialogButton("sqCancelBtn"),
                                    dialogButton("sqRetryBtn"),
                                    dialogButton("sqHelpBtn"),
                                    notBox(),
                                    fieldList()};
        for (QWidget *next : tabs) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // The next opening returns to where the focus was left.
        wordBox()->setFocus();
        QTest::keyClick(d, Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d));
        QCOMPARE(QApplication::focusWidget(), wordBox());
        d->hide();
    }

    void helpWindow()
    {
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        dialog()->show();
        QTest::mouseClick(dialogButton("sqHelpBtn"), Qt::LeftButton);
        QVERIFY(dialog()->isVisible());
        auto *help = named<TfmSearchHelp>(dialog(), "fmSearchHelp");
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Varnel"));
        QCOMPARE(help->size(), QSize(600, 421));
        QCOMPARE(named<QFrame>(help, "Panel1")->height(), 33);
        QCOMPARE(named<QLabel>(help, "Label1")->text(), QString("Helpful Information"));
        auto *memo = named<QPlainTextEdit>(help, "Memo1");
        QVERIFY(memo->isReadOnly());
        const QString text = memo->toPlainText();
        QVERIFY(text.startsWith("HELP FOR SEARCH BOX\n\n"));
        QVERIFY(text.contains("\"Enter the word in the box below.\""));
        QCOMPARE(text.count("\n\n"), 6);
        // It says what the program does: letter case does not matter.
        QVERIFY(!text.contains("case sensitive", Qt::CaseInsensitive));
        QVERIFY(text.contains("Capital and small letters make no difference"));
        help->close();
        QVERIFY(!help->isVisible());
    }

    // The statement each action leaves in the main query, line by line.
    void statementsOfEveryAction_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("start-up") << "" << Lines{"SELECT * FROM HomeAd", "ORDER BY Surname"};
        QTest::newRow("letter A") << "letter 0"
                                  << Lines{"SELECT * FROM HomeAd WHERE Surname LIKE 'A%'",
                                           "Order by Surname"};
        QTest::newRow("letter Z") << "letter 25"
                                  << Lines{"SELECT * FROM HomeAd WHERE Surname LIKE 'Z%'",
                                           "Order by Surname"};
        QTest::newRow("All") << "letter 26" << Lines{"SELECT * FROM HomeAd", "Order by Surname"};
        QTest::newRow("main reset") << "reset" << Lines{"SELECT * FROM HomeAd", "Order by Surname"};
        QTest::newRow("dialog reset")
            << "dialog reset" << Lines{"SELECT * FROM HomeAd", "ORDER by Surname"};
        QTest::newRow("search") << "search Town bury"
                                << Lines{"SELECT * from HomeAd", "WHERE", "Town", "LIKE",
                                         "\"%bury%\""};
        QTest::newRow("NOT search")
            << "exclude Work Tel 01"
            << Lines{"SELECT * from HomeAd", "WHERE", "Work Tel", "NOT LIKE", "\"%01%\""};
    }
    void statementsOfEveryAction()
    {
        QFETCH(QString, action);
        QFETCH(Lines, lines);
        RunningProgram program;
        if (action.startsWith("letter "))
            QTest::mouseClick(letter(action.mid(7).toInt()), Qt::LeftButton);
        else if (action == "reset")
            QTest::mouseClick(named<QPushButton>(mainWindow(), "sqRetryBtn"), Qt::LeftButton);
        else if (action == "dialog reset") {
            dialog()->show();
            QTest::mouseClick(dialogButton("sqRetryBtn"), Qt::LeftButton);
        } else if (action.startsWith("search ") || action.startsWith("exclude ")) {
            const QStringList words = action.split(' ');
            searchFor(words.mid(1, words.size() - 2).join(' '), words.last(),
                      action.startsWith("exclude"));
        }
        QCOMPARE(mainQuery()->sql(), lines);
        QVERIFY2(program.log().isEmpty(), qPrintable(program.log().join('\n')));
        QCOMPARE(mainQuery()->state(), DataSetState::Browse);
    }

    // "How the actions combine": after a run of actions, what the letter
    // group shows, whether a column sort is left, the word box, and the rows.
    void howTheActionsCombine_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("letterShown"); // -1: none
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("letter") << QStringList{"type son", "letter 1"} << 1 << ""
                                << "son"
                                << "SELECT * FROM HomeAd WHERE Surname LIKE 'B%'";
        QTest::newRow("All") << QStringList{"letter 1", "sort 0", "letter 26"} << 26 << ""
                             << ""
                             << "SELECT * FROM HomeAd";
        QTest::newRow("reset") << QStringList{"letter 1", "search Surname son", "sort 5", "reset"}
                               << 26 << ""
                               << ""
                               << "SELECT * FROM HomeAd";
        QTest::newRow("search keeps the letter")
            << QStringList{"letter 1", "sort 5", "search Surname son"} << 1 << ""
            << "son"
            << "SELECT * from HomeAd";
        QTest::newRow("dialog reset keeps the letter")
            << QStringList{"letter 2", "search Surname son", "sort 0", "dialog reset"} << 2 << ""
            << ""
            << "SELECT * FROM HomeAd";
        QTest::newRow("title click changes only the sort")
            << QStringList{"letter 1", "search Surname son", "sort 5"} << 1 << "Town ASC"
            << "son"
            << "SELECT * from HomeAd";
        QTest::newRow("reset with All already shown")
            << QStringList{"letter 26", "type x", "reset"} << 26 << ""
            << ""
            << "SELECT * FROM HomeAd";
    }
    void howTheActionsCombine()
    {
        QFETCH(QStringList, actions);
        QFETCH(int, letterShown);
        QFETCH(QString, sort);
        QFETCH(QString, word);
        QFETCH(QString, firstLine);
        RunningProgram program;
        for (const QString &a : actions) {
            const QStringList w = a.split(' ');
            if (w.first() == "letter")
                QTest::mouseClick(letter(w.at(1).toInt()), Qt::LeftButton);
            else if (w.first() == "sort")
                clickTitle(w.at(1).toInt());
            else if (w.first() == "type")
                wordBox()->setText(w.at(1));
            else if (w.first() == "search")
                searchFor(w.at(1), w.at(2));
            else if (a == "reset")
                QTest::mouseClick(named<QPushButton>(mainWindow(), "sqRetryBtn"), Qt::LeftButton);
            else if (a == "dialog reset") {
                dialog()->show();
                QTest::mouseClick(dialogButton("sqRetryBtn"), Qt::LeftButton);
            }
        }
        QCOMPARE(checkedLetter(), letterShown);
        QCOMPARE(mainQuery()->sort(), sort);
        QCOMPARE(wordBox()->text(), word);
        QCOMPARE(mainQuery()->sql().value(0), firstLine);
        QVERIFY2(program.log().isEmpty(), qPrintable(program.log().join('\n')));
    }

    void lettersAndReset()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        QCOMPARE(checkedLetter(), -1);
        QTest::mouseClick(letter(0), Qt::LeftButton);
        QCOMPARE(surnamesShown(), (QStringList{"Abbot", "adams"}));
        QTest::mouseClick(letter(4), Qt::LeftButton);
        // Letter case is ignored, accents are not: "Élie" is not under E.
        QCOMPARE(surnamesShown(), (QStringList{"Edwards", "Ellis"}));
        QTest::mouseClick(letter(23), Qt::LeftButton); // X: nobody, no message
        QCOMPARE(surnamesShown(), QStringList{});
        QVERIFY(program.log().isEmpty());
        // Picking the letter already shown runs nothing: the search stays.
        QTest::mouseClick(letter(1), Qt::LeftButton);
        searchFor("Surname", "son");
        const QStringList sons = surnamesShown();
        QTest::mouseClick(letter(1), Qt::LeftButton);
        QCOMPARE(surnamesShown(), sons);
        QTest::mouseClick(letter(2), Qt::LeftButton);
        QTest::mouseClick(letter(1), Qt::LeftButton);
        QVERIFY(surnamesShown().contains("Baker"));
        // F4 resets as the button does: everyone, in name order.
        wordBox()->setText("son");
        QTest::keyClick(mainWindow(), Qt::Key_F4);
        QCOMPARE(surnamesShown().size(), everyone(book, "Surname").size());
        QCOMPARE(surnamesShown().mid(0, 3), (QStringList{"Abbot", "adams", "Baker"}));
        QCOMPARE(checkedLetter(), 26);
        QCOMPARE(wordBox()->text(), QString());
        // The two columns: A to N, then O to Z and All.
        QCOMPARE(letter(13)->x(), letter(0)->x());
        QVERIFY(letter(14)->x() > letter(13)->x());
        QCOMPARE(letter(26)->x(), letter(14)->x());
        QCOMPARE(letter(26)->text(), QString("All"));
    }

    void titleClicksSort()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        GridModel *model = grid()->gridModel();
        const QStringList expected{"Surname ASC", "Surname DESC", "Surname ASC", "Town ASC",
                                   "A3_Village ASC"};
        const QList<int> columns{0, 0, 0, 5, 4};
        for (int i = 0; i < columns.size(); ++i) {
            clickTitle(columns.at(i));
            QCOMPARE(w->book()->query()->sort(), expected.at(i));
            QCOMPARE(model->boldColumn(), columns.at(i));
        }
        QCOMPARE(model->headerData(4, Qt::Horizontal, Qt::FontRole).value<QFont>().bold(), true);
        QCOMPARE(model->headerData(5, Qt::Horizontal, Qt::FontRole).value<QFont>().bold(), false);
        // Town descending, then a letter: name order again, the title stays
        // bold, and the next click on Town sorts it ascending.
        clickTitle(5);
        clickTitle(5);
        QCOMPARE(w->book()->query()->sort(), QString("Town DESC"));
        QTest::mouseClick(letter(1), Qt::LeftButton);
        QCOMPARE(w->book()->query()->sort(), QString());
        QCOMPARE(model->boldColumn(), 5);
        QCOMPARE(surnamesShown().first(), QString("Baker"));
        clickTitle(5);
        QCOMPARE(w->book()->query()->sort(), QString("Town ASC"));
        // The rows follow the sort text, letter case ignored.
        const QStringList towns = [&] {
            QStringList t;
            for (int r = 0; r < w->book()->query()->recordCount(); ++r)
                t << w->book()->query()->displayText(r, AddressFields::Town);
            return t;
        }();
        for (int r = 1; r < towns.size(); ++r)
            if (!towns.at(r - 1).isEmpty())
                QVERIFY(TextOrder::compare(towns.at(r - 1), towns.at(r)) <= 0);
        // Closed: the title turns bold, then the standard error.
        w->book()->query()->close();
        clickTitle(1);
        QCOMPARE(model->boldColumn(), 1);
        QCOMPARE(program.log(),
                 QStringList{"Varnel: Cannot perform this operation on a closed dataset."});
    }

    // The highlight rule: the lowest highlighted entry is searched.
    void lowestHighlightedEntryWins()
    {
        ScriptedPlatform platform;
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        dialog()->show();
        clickEntry("County");
        clickEntry("Town");
        QCOMPARE(fieldList()->selectedItems().size(), 2);
        QCOMPARE(dialog()->fieldName(), QString("County"));
        clickEntry("Town"); // un-highlight both: the choice stays
        clickEntry("County");
        QCOMPARE(fieldList()->selectedItems().size(), 0);
        QCOMPARE(dialog()->fieldName(), QString("County"));
        wordBox()->setText("york");
        QTest::mouseClick(dialogButton("sqOKBtn"), Qt::LeftButton);
        QCOMPARE(sample.query()->sql().value(2), QString("County"));
        QVERIFY(!dialog()->isVisible());
        // Shift-click toggles the one entry, no range.
        dialog()->show();
        clickEntry("Surname");
        auto *list = fieldList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          list->visualItemRect(list->item(3)).center());
        QCOMPARE(list->selectedItems().size(), 2);
        QCOMPARE(dialog()->fieldName(), QString("Address1"));
    }

    void firstSearchWithoutAFieldAsksOnce()
    {
        ScriptedPlatform platform;
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        dialog()->show();
        wordBox()->setText("a");
        QTest::mouseClick(dialogButton("sqOKBtn"), Qt::LeftButton);
        QCOMPARE(platform.dialogs.log,
                 QStringList{"Information: Please select a field first -> OK"});
        QCOMPARE(sample.query()->sql().value(2), QString("Midname"));
        QCOMPARE(dialog()->fieldName(), QString("Midname"));
        dialog()->show();
        QTest::mouseClick(dialogButton("sqOKBtn"), Qt::LeftButton);
        QCOMPARE(platform.dialogs.log.size(), 1);
        // The dialog's state carries over to the next opening.
        notBox()->setChecked(true);
        dialog()->show();
        QCOMPARE(wordBox()->text(), QString("a"));
        QVERIFY(notBox()->isChecked());
    }

    void dialogResetKeepsTheNotBox()
    {
        RunningProgram program;
        QTest::mouseClick(letter(3), Qt::LeftButton);
        searchFor("Town", "o", true);
        dialog()->show();
        QSignalSpy finished(dialog(), &QDialog::finished);
        QTest::mouseClick(dialogButton("sqRetryBtn"), Qt::LeftButton);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(TfmSQLSearchDialog::mrRetry));
        QVERIFY(!dialog()->isVisible());
        QVERIFY(notBox()->isChecked());
        QCOMPARE(wordBox()->text(), QString());
        QCOMPARE(dialog()->fieldName(), QString("Town"));
        QCOMPARE(fieldList()->selectedItems().first()->text(), QString("Town"));
        QCOMPARE(checkedLetter(), 3);
        QCOMPARE(surnamesShown().mid(0, 2), (QStringList{"Abbot", "adams"}));
        // Cancel changes nothing.
        const QStringList before = mainQuery()->sql();
        dialog()->show();
        wordBox()->setText("zzz");
        QTest::mouseClick(dialogButton("sqCancelBtn"), Qt::LeftButton);
        QVERIFY(!dialog()->isVisible());
        QCOMPARE(mainQuery()->sql(), before);
    }

    void searchResults()
    {
        ScriptedPlatform platform;
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        const QString book = sample.path;
        searchFor("Surname", "SON"); // letter case is no matter
        QStringList found = surnamesShown(sample.query());
        QVERIFY(found.contains("Robinson") && found.contains("Jackson"));
        for (const QString &s : found)
            QVERIFY(s.contains("son", Qt::CaseInsensitive));
        // An empty word: everyone with the field filled; NOT: no one.
        searchFor("Work Tel", "");
        int filled = 0;
        for (const auto &row : everyone(book, "Work Tel"))
            filled += row.second.isNull() ? 0 : 1;
        QCOMPARE(surnamesShown(sample.query()).size(), filled);
        searchFor("Work Tel", "", true);
        QCOMPARE(surnamesShown(sample.query()).size(), 0);
        // Wildcards keep their meaning.
        searchFor("Surname", "J_c");
        QCOMPARE(surnamesShown(sample.query()), QStringList{"Jackson"});
        searchFor("Cap", "z");
        QCOMPARE(surnamesShown(sample.query()), QStringList{"Zielinski"});
        QVERIFY(platform.dialogs.log.isEmpty());
    }

    // Whatever is typed is searched for as it stands: each word below is in
    // one person's notes, and the search finds exactly the people whose notes
    // hold it, leaving the file as it was.
    void hostileWordsAreFoundLiterally_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("double quote") << "say \"hi\"";
        QTest::newRow("ends with a double quote") << "inch\"";
        QTest::newRow("single quote") << "O'Hara's";
        QTest::newRow("semicolon and SQL") << "x\"; DROP TABLE HomeAd; --";
        QTest::newRow("always true") << "\" OR \"\"=\"";
        QTest::newRow("always true, single") << "' OR '1'='1";
        QTest::newRow("closes and orders") << "a\" ORDER BY Surname \"";
        QTest::newRow("SQL words") << "SELECT * FROM HomeAd";
        QTest::newRow("backslash") << "C:\\Temp\\";
        QTest::newRow("colon marker") << ":name";
        QTest::newRow("question mark marker") << "?";
        QTest::newRow("Greek") << "Καλημέρα";
        QTest::newRow("Japanese") << "東京都";
        QTest::newRow("emoji") << "🎂";
    }
    void hostileWordsAreFoundLiterally()
    {
        QFETCH(QString, word);
        ScriptedPlatform platform;
        SampleBook sample;
        TfmSQLSearchDialog dialogAlone(&sample.book, nullptr);
        const QString book = sample.path;
        addPerson(book, "Holder", "before " + word + " after");
        addPerson(book, "Nearly",
                  "before " + (word.size() > 2 ? word.chopped(1) : QString("near")) + " after");
        const auto notes = everyone(book, "Notes");
        QStringList holders, others;
        for (const auto &row : notes) {
            if (row.second.isNull())
                continue;
            (row.second.toString().contains(word, Qt::CaseInsensitive) ? holders : others)
                << row.first;
        }
        QCOMPARE(holders, QStringList{"Holder"});
        searchFor("Notes", word);
        QCOMPARE(sortedNames(surnamesShown(sample.query())), holders);
        searchFor("Notes", word, true);
        QCOMPARE(sortedNames(surnamesShown(sample.query())), sortedNames(others));
        QCOMPARE(sample.query()->sql().value(4), "\"%" + word + "%\"");
        QVERIFY2(platform.dialogs.log.isEmpty(), qPrintable(platform.dialogs.log.join('\n')));
        QCOMPARE(everyone(book, "Notes"), notes);
    }

    void searchClosesEvenWhenTheEngineRefuses()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        mainWindow()->book()->connection()->close();
        QFile::remove(book);
        searchFor("Town", "a");
        QVERIFY(!dialog()->isVisible());
        QCOMPARE(program.log(), QStringList{QString("Varnel: Could not find file '%1'").arg(book)});
        QVERIFY(!mainQuery()->active());
        QCOMPARE(grid()->model()->rowCount(), 0);
    }

    void theListIsFilledWhenTheStartUpOpenFails()
    {
        RunningProgram program({"Varnel.vdf"});
        QCOMPARE(program.log().size(), 1);
        QCOMPARE(fieldList()->count(), 19);
    }

    // F3 and the Search button show the dialog modally; the menu keys wait
    // while it is open.
    void searchButtonAndF3ShowTheDialogModally()
    {
        RunningProgram program;
        QVERIFY(named<QPushButton>(mainWindow(), "HomeSearch")->isEnabled() &&
                named<QAction>(mainWindow(), "miOpenSearch")->isEnabled());
        bool wasModal = false, f4Waited = false;
        QTimer::singleShot(0, [&] {
            wasModal = QApplication::activeModalWidget() == dialog();
            wordBox()->setText("son");
            QTest::keyClick(dialog(), Qt::Key_F4); // the main window's reset waits
            f4Waited = wordBox()->text() == "son";
            dialog()->reject();
        });
        QTest::keyClick(mainWindow(), Qt::Key_F3);
        QVERIFY(wasModal);
        QVERIFY(f4Waited);
        QTimer::singleShot(0, [&] {
            wasModal = QApplication::activeModalWidget() == dialog();
            dialog()->reject();
        });
        wasModal = false;
        QTest::mouseClick(named<QPushButton>(mainWindow(), "HomeSearch"), Qt::LeftButton);
        QVERIFY(wasModal);
    }
};

QTEST_MAIN(tst_browse)
#include "tst_browse.moc"
