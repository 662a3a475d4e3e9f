#include "Pickers.h"

#include "lookupuserfrm.h"
#include "periodselectorfrm.h"

#include <QLineEdit>

WeekdayPeriods ChosenPeriods()
{
    WeekdayPeriods periods;
    const Tperiodselectorfrm* grid = PeriodSelectorForm();
    for (int day = 1; day <= 5; ++day)
        periods[day - 1] = grid->Selection(day);
    return periods;
}

int ChosenPeriodCount() { return SelectedPeriodCount; }

void PickUserInto(QLineEdit* edit)
{
    QString name;
    PickUser(false, name);
    if (!name.isEmpty())
        edit->setText(name);
}
