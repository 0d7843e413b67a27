#pragma once

#include <QObject>
#include <memory>

class QApplication;
class AddressBook;
class ProgramState;
class TfmHomeAddMain;
class TfmSQLSearchDialog;
class TfmRecCard;
class TfmCountyListEdit;
class TfmHelpMemo;
class TfmHomeForm;
class TfmRpA5Diary;
class TfmRpTel;
class TfmLabels;
class TfmRpLabel16;
class TfmRpFilo2;
class TfmCredits;
class TfmRpLabel14;
class TfmMailMergeSetup;
class TfmMailMergeHelp;
class TfmMailMergeEdit;
class TfmMailRp;

// The running program: the address book every window works on, what the
// program remembers while it runs, and every window. It makes the windows in
// a fixed order and wires them to each other; this is the only place where
// one window learns of another. A window reports upward by signal.
class VarnelApp : public QObject
{
    Q_OBJECT
public:
    // Makes every window, as at start-up.
    VarnelApp();
    // Destroys every window, as at the end of the program; the main window
    // goes last.
    ~VarnelApp() override;

    // Makes the program and runs the event loop until the main window closes.
    static int run(QApplication &app);

    AddressBook *book() const { return m_book.get(); }
    TfmHomeAddMain *mainWindow() const { return m_main; }

private:
    void createWindows();
    // The wiring of each group of windows, one source file each.
    void wireBrowsing();  // WireBrowsing.cpp
    void wireEntry();     // WireEntry.cpp
    void wireReports();   // WireReports.cpp
    void wireMailMerge(); // WireMailMerge.cpp
    void wireHelp();      // WireHelp.cpp

    std::unique_ptr<AddressBook> m_book;
    std::unique_ptr<ProgramState> m_state;

    // The windows, in the order they are made.
    TfmHomeAddMain *m_main = nullptr;
    TfmSQLSearchDialog *m_search = nullptr;
    TfmRecCard *m_recordCard = nullptr;
    TfmCountyListEdit *m_countyList = nullptr;
    TfmHelpMemo *m_helpNote = nullptr;
    TfmHomeForm *m_recordForm = nullptr;
    TfmRpA5Diary *m_a5Pages = nullptr;
    TfmRpTel *m_phoneList = nullptr;
    TfmLabels *m_labels21 = nullptr;
    TfmRpLabel16 *m_labels16 = nullptr;
    TfmRpFilo2 *m_filoPages = nullptr;
    TfmCredits *m_credits = nullptr;
    TfmRpLabel14 *m_labels14 = nullptr;
    TfmMailMergeSetup *m_mergeSetup = nullptr;
    TfmMailMergeHelp *m_mergeHelp = nullptr;
    TfmMailMergeEdit *m_editor = nullptr;
    TfmMailRp *m_mergedLetters = nullptr;
};
