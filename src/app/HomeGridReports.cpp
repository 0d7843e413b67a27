#include "app/HomeGrid.h"

#include "reports/RpPhoneList.h"

void TfmHomeAddMain::miPhoneListClick()
{
    if (fmRpTel)
        fmRpTel->Report1->Preview();
}
