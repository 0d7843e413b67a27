// The main window's commands for contacts in and out.
#include "app/HomeGrid.h"

#include "exchange/AccessBook.h"
#include "exchange/Exchange.h"
#include "exchange/ImportWindow.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
// The import window on `file`, into the book in use; the grid shows the new
// people once they are in.
void importInto(TfmHomeAddMain *window, const QString &file)
{
    if (!window->book()->connection()->connected()) {
        Platform::dialogs().message(window, MsgKind::Information,
                                    QCoreApplication::translate("TfmHomeAddMain", "No address book is open. Open the book the people are "
                                                   "to go into, then import them."),
                                    false);
        return;
    }
    AdoQuery *query = window->book()->query();
    query->checkBrowseMode();
    ImportWindow import(window->book()->connection(), file, window);
    QObject::connect(&import, &ImportWindow::imported, window, [query] {
        // The new people take their places in the selection's order.
        query->reopen();
    });
    import.exec();
}
} // namespace

void TfmHomeAddMain::importContacts()
{
    FileDialogRequest request;
    request.folder = ProgramFolder::path();
    request.filters = {tr("Contacts (*.vcf *.vcard *.csv *.tsv *.txt *.mdb *.vdf)"),
                       tr("All files (*)")};
    const QString chosen = Platform::dialogs().openFile(this, request);
    if (chosen.isEmpty())
        return;
    importInto(this, chosen);
}

void TfmHomeAddMain::exportContacts()
{
    query()->checkBrowseMode();
    ExportWindow window(m_book->connection(), [this] { return query()->sql(); }, this);
    window.exec();
}

QString TfmHomeAddMain::offerConversion(const QString &accessFile)
{
    // A database that is no address book may still hold people in one of
    // its tables: they can come into the book in use.
    if (!AccessBook(accessFile).tables().contains(QStringLiteral("HomeAd"), Qt::CaseInsensitive)) {
        const int answer = Platform::dialogs().ask(
            this, MsgKind::Confirm,
            tr("%1 is a database in the older Access format, but not an address book. Import "
                           "people from one of its tables into %2?")
                .arg(QFileInfo(accessFile).fileName(), QFileInfo(m_book->fileInUse()).fileName()),
            {tr("Import"), tr("Cancel")});
        if (answer == 0)
            importInto(this, accessFile);
        return QString();
    }
    const QString target = Exchange::convertedName(accessFile);
    const int answer = Platform::dialogs().ask(
        this, MsgKind::Confirm,
        tr("%1 is an address book in the older Access format. Make a new address book "
                       "from it, %2? The old file is not changed.")
            .arg(QFileInfo(accessFile).fileName(), QFileInfo(target).fileName()),
        {tr("Convert"), tr("Cancel")});
    if (answer != 0)
        return QString();
    const qint64 n = Exchange::convert(accessFile, target);
    Platform::dialogs().message(this, MsgKind::Information,
                                tr("%1 records were copied into %2.").arg(n).arg(target), false);
    return target;
}
