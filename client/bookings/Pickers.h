#pragma once
#include "BookingRuns.h"

class QLineEdit;

// The periods ticked in the period grid per weekday, and their number.
WeekdayPeriods ChosenPeriods();
int ChosenPeriodCount();

// The user picker with its Cancel button; a name picked replaces the edit's
// text.
void PickUserInto(QLineEdit* edit);
