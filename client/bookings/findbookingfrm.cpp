#include "findbookingfrm.h"

#include "BookingControls.h"
#include "Clock.h"
#include "Pickers.h"
#include "ProgramEnd.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "mainfrm.h"
#include "permanentfrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Where a result line keeps the slot it stands for.
constexpr int ItemRole = Qt::UserRole;
constexpr int PeriodRole = Qt::UserRole + 1;
constexpr int DateRole = Qt::UserRole + 2;

} // namespace

// ------------------------------------------------------------------ search

TFindBookingFrm::TFindBookingFrm(QWidget* parent) : TBookingRangeForm(QStringLiteral("From:"), 36, parent)
{
    setObjectName(QStringLiteral("FindBookingFrm"));
    setWindowTitle(QStringLiteral("Find spare booking"));
    searchcat = new QCheckBox(QStringLiteral("Search all items in this catergory"), this);
    searchcat->setObjectName(QStringLiteral("searchcat"));
    searchcat->setGeometry(8, 212, 404, 22);
    Button2 = MakeButton(this, "Button2", QStringLiteral("Continue"), QRect(220, 580, 92, 28));
    Button2->setDefault(true);
    Button3 = MakeButton(this, "Button3", QStringLiteral("Cancel"), QRect(320, 580, 92, 28));
    connect(Button2, &QPushButton::clicked, this, &TFindBookingFrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFindBookingFrm::Button3Click);
}

void TFindBookingFrm::Button2Click()
{
    const QString chosen = chosenItem();
    if (!CheckBookingInputs(bookedby->text(), searchcat->isChecked() || !chosen.isEmpty(), desc->text(),
                            fromdate->date(), todate->date()))
        return;
    const int ticked = ChosenPeriodCount();
    if (ticked == 0)
        return;
    Tmainfrm* w = MainForm();
    if (!w)
        return;
    QStringList items;
    if (searchcat->isChecked()) {
        for (int i = 0; i < DBitemlist->count(); ++i)
            items << DBitemlist->item(i)->text();
    } else {
        items << chosen;
    }
    const QList<FreeSlot> found =
        VacancySearch(*w, items, fromdate->date(), todate->date(), ChosenPeriods(), ticked);
    if (ProgramEnding)
        return;
    TSearchResultsFrm* results = SearchResultsForm();
    results->setResults(found, bookedby->text(), desc->text());
    results->showModal();
    if (!ProgramEnding)
        done(mrOk);
}

void TFindBookingFrm::Button3Click() { done(mrCancel); }

// ------------------------------------------------------------------ results

TSearchResultsFrm::TSearchResultsFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("SearchResultsFrm"));
    setWindowTitle(QStringLiteral("Search Results"));
    setFixedSize(460, 380);

    Label1 = MakeCaption(this, "Label1", QStringLiteral("Items checked below will be booked. "), 8, 8, 444);
    results = new QListWidget(this);
    results->setObjectName(QStringLiteral("results"));
    results->setGeometry(8, 30, 444, 300);
    Button1 = MakeButton(this, "Button1", QStringLiteral("Select All Items"), QRect(8, 340, 116, 28));
    Button2 = MakeButton(this, "Button2", QStringLiteral("Select None"), QRect(130, 340, 100, 28));
    Button3 = MakeButton(this, "Button3", QStringLiteral("Place Bookings"), QRect(236, 340, 116, 28));
    Button4 = MakeButton(this, "Button4", QStringLiteral("Cancel"), QRect(358, 340, 94, 28));
    connect(Button1, &QPushButton::clicked, this, &TSearchResultsFrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSearchResultsFrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSearchResultsFrm::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TSearchResultsFrm::Button4Click);
}

void TSearchResultsFrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
}

void TSearchResultsFrm::setResults(const QList<FreeSlot>& found, const QString& bookedFor, const QString& reason)
{
    m_bookedFor = bookedFor;
    m_reason = reason;
    results->clear();
    for (const FreeSlot& s : found) {
        auto* line = new QListWidgetItem(s.text(), results);
        line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
        line->setCheckState(Qt::Unchecked);
        line->setData(ItemRole, s.item);
        line->setData(PeriodRole, s.period);
        line->setData(DateRole, s.date);
    }
}

QList<FreeSlot> TSearchResultsFrm::lines() const
{
    QList<FreeSlot> out;
    for (int i = 0; i < results->count(); ++i) {
        const QListWidgetItem* line = results->item(i);
        out.append({line->data(ItemRole).toString(), line->data(PeriodRole).toString(), line->data(DateRole).toDate(),
                    line->checkState() == Qt::Checked});
    }
    return out;
}

void TSearchResultsFrm::tickAll(bool ticked)
{
    for (int i = 0; i < results->count(); ++i)
        results->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TSearchResultsFrm::Button1Click() { tickAll(true); }

void TSearchResultsFrm::Button2Click() { tickAll(false); }

void TSearchResultsFrm::Button3Click()
{
    Tmainfrm* w = MainForm();
    if (!w)
        return;
    PlaceFreeSlots(*w, lines(), m_bookedFor, m_reason);
    if (!ProgramEnding)
        done(mrOk);
}

void TSearchResultsFrm::Button4Click() { done(mrCancel); }

TFindBookingFrm* FindBookingForm() { return SharedForm<TFindBookingFrm>(); }
TSearchResultsFrm* SearchResultsForm() { return SharedForm<TSearchResultsFrm>(); }
