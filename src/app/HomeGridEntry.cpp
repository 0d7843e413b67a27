// The main window's County pick list.
#include "app/HomeGrid.h"

#include "browse/CountyListFile.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

void TfmHomeAddMain::loadCountyPickList()
{
    // A missing list leaves the drop-down empty; the error box says why.
    setCountyPickList({});
    QString problem;
    guarded(this, [&] { setCountyPickList(CountyListFile::read(CountyListFile::path(), &problem)); });
    if (!problem.isEmpty())
        Platform::showError(this, problem);
}
