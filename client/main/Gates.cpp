#include "Gates.h"

#include "Alerts.h"
#include "Session.h"

bool PassGate(RightGetter right, const QString& denial)
{
    if (right(CurrentUser))
        return true;
    if (!denial.isEmpty())
        ShowAlert(denial);
    return false;
}
