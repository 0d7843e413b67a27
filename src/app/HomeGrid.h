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

    // The three status panels: 0 hints and notices, 1 today's date, 2 the
    // file in use.
    QString statusPanel(int index) const;
    void setStatusPanel(int index, const QString &text);

    // Designed column widths, by grid column.
    static const QVector<GridColumn> &gridColumns();

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
    // The letter group's "All" button, after A to Z.
    static constexpr int kLetterGroupAll = 26;

    void buildControls();
    void buildMenu();
    QList<QAction *> actionsOf(Command command) const;
    QList<QPushButton *> buttonsOf(Command command) const;
    void defaultOrCancelKey(bool isDefault);
    AdoQuery *query() const { return m_book->query(); }

    // Start-up and closing steps.
    void createSteps();
    void showSteps();
    void activationSteps();
    void closeSteps();
    // Connects and enables the file, options and manual commands.
    void wireFileCommands();
    // Puts the window's outer edges at the given place and size.
    void restoreOuterGeometry(int top, int left, int width, int height);

    // The record buttons and the grid's own delete key.
    void newRecord();
    void cancelEdit();
    void deleteRecord();
    void deleteFromGrid();
    void checkBeforeSave();

    // Browsing: letter filter, reset, column sort.
    void selectLetter(int index);
    void resetSelection();
    void sortByColumn(int column);
    // Checks "All" in the letter group without running the filter.
    void checkLetterGroupAll();
    // Steps 2 and 3 of New File and Open File: all records, letter group "All".
    void reopenAllRecords();

    // The File menu.
    void newFile();
    void openFile();
    void saveAs();
    void closeFile();
    // Server books: open one, copy the book in use to one, and the copy
    // between a file and a server either way, after which the program goes
    // on in the copy.
    void openServerBook();
    void saveAsServerBook();
    void copyBookTo(const QString &target);
    QString askPassword(const QString &address);
    // Contacts in and out (vCard, CSV, Access books), and the offer to
    // convert an Access-format book that Open File meets. The offer gives
    // the path to open instead, or empty when the user declines.
    void importContacts();
    void exportContacts();
    QString offerConversion(const QString &accessFile);
    void showOptions();
    void printerSetup();
    void exitProgram();
    void openManual();

    AddressBook *m_book;
    ProgramState *m_state;
    DataSource *m_dataSource;
    int m_lastSortColumn = -1; // -1: none
    bool m_shown = false;
    QList<std::function<bool()>> m_closeChecks;

    DBGrid *m_grid;
    QWidget *m_sidePanel, *m_bottomPanel, *m_buttonPanel, *m_navigatorPanel;
    QPushButton *m_newRecordButton, *m_cancelButton, *m_deleteButton;
    QGroupBox *m_letterGroupBox;
    QButtonGroup *m_letterGroup;
    DBNavigator *m_navigator;
    QPushButton *m_recordCardButton, *m_editCountyButton, *m_searchButton, *m_resetButton, *m_closeButton;
    QStatusBar *m_statusBar;
    QLabel *m_panels[3] = {};

    QMenu *m_fileMenu, *m_searchMenu, *m_reportsMenu, *m_labelsMenu, *m_helpMenu;
    QAction *m_newFileAction, *m_openFileAction, *m_openServerAction, *m_saveAsAction, *m_saveAsServerAction, *m_closeFileAction, *m_importAction,
        *m_exportAction, *m_optionsAction, *m_printSetupAction, *m_exitAction;
    QAction *m_openSearchAction, *m_clearFilterAction;
    QAction *m_phoneListAction, *m_labels21Action, *m_labels16Action, *m_labels14Action, *m_labelFontAction,
        *m_filoPagesAction, *m_a5PagesAction, *m_recordFormAction;
    QAction *m_mailMergeAction, *m_notepadAction;
    QAction *m_manualAction, *m_helpNoteAction, *m_aboutAction;
};

