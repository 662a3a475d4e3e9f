// The main window's entries that open the booking dialogs.
#include "Alerts.h"
#include "Gates.h"
#include "Lookups.h"
#include "alterfrm.h"
#include "findbookingfrm.h"
#include "mainfrm.h"
#include "permanentfrm.h"

namespace {
const QString NoPermanentRight = QStringLiteral("You are not allowed to make permanent bookings");
const QString NoReplicateRight = QStringLiteral(
    "You are not allowed to make permanent bookings, therefore you are not allowed to replicate items");
const QString NoMassCancelRight = QStringLiteral("You are not allowed to Cancel Bookings in Mass");
} // namespace

void Tmainfrm::MoveBooking1Click()
{
    QString item;
    int left, top, right, bottom;
    if (selectionToWorkOn(item, left, top, right, bottom))
        MoveForm()->showModal();
}

void Tmainfrm::AlterSelectedPeriods1Click() { AlterSelection(); }

void Tmainfrm::CreateaPermanentBooking1Click()
{
    if (!PassGate(UserCanMakePermanentBookings, NoPermanentRight))
        return;
    CreatePermanentBookingForm()->showModal();
}

void Tmainfrm::ReplicateCurrentSheetAcrossmanyfutureweeks1Click()
{
    if (!PassGate(UserCanMakePermanentBookings, NoReplicateRight))
        return;
    if (SelectedItem().isEmpty()) {
        ShowAlert(MainMessages::NoItems);
        return;
    }
    ReplicateForm()->showModal();
}

void Tmainfrm::CancelBookinswithCriteria1Click()
{
    if (!PassGate(UserCanFlushBookings, NoMassCancelRight))
        return;
    if (SelectedItem().isEmpty()) {
        ShowAlert(MainMessages::NoItems);
        return;
    }
    CancelMassForm()->showModal();
}

void Tmainfrm::Findwhenselecteditemisspare1Click() { FindBookingForm()->showModal(); }
