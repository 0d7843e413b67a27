#pragma once

#include "dbaware/DBGrid.h"
#include "dbaware/DBNavigator.h"
#include "dbaware/DataSource.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/AddressBook.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPrinter;
class QPushButton;
class QStatusBar;
class ProgramState;

// The main window: the address grid on the current selection, the record
// buttons, the letter group, the navigator, the status bar and the menu from
// which everything else is reached. It shows the address book it is given
// and runs its file commands.
class TfmHomeAddMain : public QMainWindow
{
    Q_OBJECT
public:
    TfmHomeAddMain(AddressBook *book, ProgramState *state, QWidget *parent = nullptr);
    ~TfmHomeAddMain() override;

    AddressBook *book() const { return m_book; }

    // The commands of the menu and the buttons that other windows carry out.
    // Their controls stay disabled until serve() says what carries them out.
    enum class Command {
        Search,     // "&Search", Search > "O&pen Search"
        RecordCard, // "Record &Card", a double click on a row
        CountyList, // "EditCounty"
        RecordForm, // Reports > "&Record Form "
        PhoneList,
        Labels21,
        Labels16,
        Labels14,
        LabelFont, // Address Labels > "Set labels font"
        FiloPages,
        A5Pages,
        MailMerge,
        Editor,   // "&Notepad"
        HelpNote, // Help > the short help note
        About,
    };
    // Connects the command's menu items and buttons to `handler` and enables
    // them. An error the handler raises is shown and ends the command.
    void serve(Command command, std::function<void()> handler);
    // Asked before the program ends; a check that returns false keeps it
    // running.
    void addCloseCheck(std::function<bool()> mayClose);
    // Connects and enables the letter group, the reset and the column sort,
    // once the main query has been opened.
    void enableBrowsing();

    // The County column's pick list.
    QStringList countyPickList() const;
    void setCountyPickList(const QStringList &counties);
    DataSource *dsHome;
    int LastSortColumn = -1; // -1: none
    // The letter group's "All" button, after A to Z.
    static constexpr int kLetterGroupAll = 26;

    // Controls.
    DBGrid *dbGrid1;
    QWidget *Panel4, *Panel1, *Panel2, *Panel3;
    QPushButton *BitBtn3, *BitBtn2, *btnDelete;
    QGroupBox *RadioGroup1;
    QButtonGroup *RadioGroup1Items;
    DBNavigator *DBNavigator1;
    QPushButton *btnRecCard, *btEditCounty, *HomeSearch, *sqRetryBtn, *BitBtn1;
    QStatusBar *StatusBar1;

    // Menu.
    QMenu *File1, *Search1, *Reports1, *miLabels21, *Help3;
    QAction *NewFile1, *miOpenFile, *miSaveAs, *miClose, *miImport, *miExport, *N3, *miOptions, *N1, *miPrintSetup, *Exit1;
    QAction *miOpenSearch, *miClearFillter;
    QAction *miPhoneList, *miLabel21, *miLabel16, *mi14perA4sheet1, *Setfont1, *FiloFaxPages1,
        *miA5DiaryPages, *N2, *miRecordForm;
    QAction *miMailMerge, *Notepad1;
    QAction *Help2, *Help1, *miAbout;

    // The three status panels.
    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString &text);

    // Designed column widths, by grid column.
    static const QVector<GridColumn> &gridColumns();

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void BitBtn3Click();
    void BitBtn2Click();
    void btnDeleteClick();
    void dbGrid1DeleteRecord();
    void miPrintSetupClick();
    void miExitClick();
    void HomeQueryBeforePost();

    // Browsing: letter filter, column sort, search.
    void RadioGroup1Click(int index);
    void sqRetryBtnClick();
    void dbGrid1TitleClick(int column);

    // Address book files, settings, start-up options, help.
    void NewFile1Click();
    void miOpenFileClick();
    void miSaveAsClick();
    void miCloseClick();
    // Contacts in and out (vCard, CSV, Access books), and the offer to
    // convert an Access-format book that Open File meets. The offer gives
    // the path to open instead, or empty when the user declines.
    void miImportClick();
    void miExportClick();
    QString offerConversion(const QString &accessFile);
    void miOptionsClick();
    void Help2Click();
    // Settings keys of the grid's eleven column widths, by column.
    static QStringList gridWidthKeys();
    // Connects and enables the file, options and manual commands.
    void wireFileCommands();
    // Puts the window's outer edges at the given place and size.
    void restoreOuterGeometry(int top, int left, int width, int height);
    // Checks "All" in the letter group without running the filter.
    void checkLetterGroupAll();
    // Steps 2 and 3 of New File and Open File: all records, letter group "All".
    void reopenAllRecords();

    // Fills the County column's pick list from "ListFile.txt" (a show step).
    void loadCountyPickList();

signals:
    // The reset showed every record again: a search word no longer applies.
    void selectionReset();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    void buildControls();
    void buildMenu();
    QList<QAction *> actionsOf(Command command) const;
    QList<QPushButton *> buttonsOf(Command command) const;
    void defaultOrCancelKey(bool isDefault);
    AdoQuery *query() const { return m_book->query(); }
    AddressBook *m_book;
    ProgramState *m_state;
    QLabel *m_panels[3] = {};
    bool m_shown = false;
    QList<std::function<bool()>> m_closeChecks;
};

extern TfmHomeAddMain *fmHomeAddMain;
