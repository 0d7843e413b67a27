// The main window's commands for contacts in and out.
#include "app/HomeGrid.h"

#include "exchange/AccessBook.h"
#include "exchange/Exchange.h"
#include "exchange/ImportWindow.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>

void TfmHomeAddMain::importContacts()
{
    FileDialogRequest request;
    request.folder = ProgramFolder::path();
    request.filters = {QStringLiteral("Contacts (*.vcf *.vcard *.csv *.tsv *.txt *.mdb *.vdf)"),
                       QStringLiteral("All files (*)")};
    const QString chosen = Platform::dialogs().openFile(this, request);
    if (chosen.isEmpty())
        return;
    query()->checkBrowseMode();
    ImportWindow window(m_book->connection(), chosen, this);
    connect(&window, &ImportWindow::imported, this, [this] {
        // The new people take their places in the selection's order.
        query()->close();
        query()->open();
    });
    window.exec();
}

void TfmHomeAddMain::exportContacts()
{
    query()->checkBrowseMode();
    ExportWindow window(m_book->connection(), [this] { return query()->sql(); }, this);
    window.exec();
}

QString TfmHomeAddMain::offerConversion(const QString &accessFile)
{
    const QString target = Exchange::convertedName(accessFile);
    const int answer = Platform::dialogs().ask(
        this, MsgKind::Confirm,
        QStringLiteral("%1 is an address book in the older Access format. Make a new address book "
                       "from it, %2? The old file is not changed.")
            .arg(QFileInfo(accessFile).fileName(), QFileInfo(target).fileName()),
        {QStringLiteral("Convert"), QStringLiteral("Cancel")});
    if (answer != 0)
        return QString();
    const qint64 n = Exchange::convert(accessFile, target);
    Platform::dialogs().message(this, MsgKind::Information,
                                QStringLiteral("%1 records were copied into %2.").arg(n).arg(target), false);
    return target;
}
