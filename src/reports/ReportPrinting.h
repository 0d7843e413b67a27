#pragma once

#include <QDialog>
#include <QPrinter>

class QLabel;
class QProgressBar;
class QPushButton;
class TCustomReport;
struct PreparedReport;
struct TRpPrinterSettings;

// Where print jobs go. The desktop's destination is the system's printers;
// tests put one in place that writes the job to a PDF file and notes how the
// printer was set up.
class PrintDestination
{
public:
    virtual ~PrintDestination() = default;
    virtual bool printerInstalled() const = 0;
    // Called once a job is set up, just before its first page is drawn.
    virtual void jobStarting(QPrinter &printer) = 0;
};

namespace ReportPrinting {
PrintDestination &destination();
// nullptr restores the system's printers.
void setDestination(PrintDestination *d);

// A printer set up for a job of the report: its printer (the default when none
// was chosen), A4 paper turned as the report is, its copies and paper source,
// positions measured from the paper's corner.
void setUpPrinter(QPrinter &printer, const TCustomReport &report);

// Runs the report again with the printer as destination, under the "Printing
// progress" window, and prints the pages within the report's page range as
// they are made. Does nothing when no printer is installed or the report is
// running already. Returns the number of pages sent.
int printReport(TCustomReport &report, QWidget *parent);

// Prints pages made earlier (a loaded report) within the report's page range,
// each scaled to the printer's whole page. Returns the number of pages sent.
int printPages(const PreparedReport &pages, const TCustomReport &report);

// The report's printer setup: the print dialog preset with its printer,
// orientation and copies. OK keeps the printer, copies, orientation and page
// range in the report; returns false on Cancel, changing nothing.
bool printerSetup(TCustomReport &report, int pageCount, QWidget *parent);
} // namespace ReportPrinting

// The small window that stays on top while a report runs to the printer.
class TfmPrintProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TfmPrintProgress(QWidget *parent = nullptr);
    void setPercent(int percent);

signals:
    void cancelled();

protected:
    void reject() override;

private:
    QProgressBar *m_progressBar;
    QLabel *m_label;
    QPushButton *m_cancelButton;
    int m_shown = -1;
};
