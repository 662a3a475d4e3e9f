#include "printlistbookingsfrm.h"

#include "Alerts.h"
#include "DataModule.h"
#include "ReportLog.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "StatusWindows.h"
#include "Utilities.h"
#include "mainfrm.h"
#include "lookupuserfrm.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

namespace M = PrintListMessages;

namespace {

QLabel* captionLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(left, top, width, 21);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QDateEdit* datePicker(QWidget* parent, const char* name, int left, int top)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(QLatin1String(name));
    d->setCalendarPopup(true);
    d->setGeometry(left, top, 129, 21);
    return d;
}

} // namespace

Tprintlistbookingsfrm::Tprintlistbookingsfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("printlistbookingsfrm"));
    setWindowTitle(M::Caption);
    setFixedSize(281, 153);

    foruserLabel = captionLabel(this, "foruserLabel", QStringLiteral("For User:"), 8, 16, 57);
    foruser = new QLineEdit(this);
    foruser->setObjectName(QStringLiteral("foruser"));
    foruser->setGeometry(72, 16, 153, 21);
    foruserLabel->setBuddy(foruser);
    Button1 = new QPushButton(QStringLiteral(">"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(232, 16, 33, 21);
    Button1->setAutoDefault(false);

    fromdateLabel = captionLabel(this, "fromdateLabel", QStringLiteral("From:"), 8, 48, 57);
    fromdate = datePicker(this, "fromdate", 72, 48);
    todateLabel = captionLabel(this, "todateLabel", QStringLiteral("Until:"), 8, 80, 57);
    todate = datePicker(this, "todate", 72, 80);

    Button2 = new QPushButton(QStringLiteral("Continue"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(104, 118, 81, 25);
    Button2->setDefault(true);
    Button3 = new QPushButton(QStringLiteral("Cancel"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(192, 118, 81, 25);
    Button3->setAutoDefault(false);

    connect(Button1, &QPushButton::clicked, this, &Tprintlistbookingsfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tprintlistbookingsfrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tprintlistbookingsfrm::Button3Click);
}

void Tprintlistbookingsfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void Tprintlistbookingsfrm::FormShow()
{
    foruser->setText(CurrentUser);
    const QDate start = m_startDate.isValid() ? m_startDate : QDate::currentDate();
    fromdate->setDate(start);
    todate->setDate(start.addDays(30));
}

void Tprintlistbookingsfrm::Button1Click()
{
    QString name;
    PickUser(false, name);
    if (!name.isEmpty())
        foruser->setText(name);
}

void Tprintlistbookingsfrm::Button2Click()
{
    const QString user = foruser->text();
    if (user.isEmpty()) {
        ShowAlert(M::UnknownUser);
        return;
    }
    const QDate from = fromdate->date();
    const QDate until = todate->date();
    if (from > until) {
        ShowAlert(M::DatesReversed);
        return;
    }

    Tmainfrm* w = MainForm();
    if (!w)
        throw std::logic_error("the list of bookings runs over the main window");
    Dataset& q = DM().Cache;
    q.close();
    q.setBaseTable(QString());
    q.setSql({QStringLiteral("Select *"), QStringLiteral("from bookings"),
              QStringLiteral("where bookedby = :user and \"Date\" >= :from and \"Date\" <= :until"),
              QStringLiteral("order by \"Date\", period, itembooked;")});
    q.setParam(QStringLiteral("user"), user);
    q.setParam(QStringLiteral("from"), from);
    q.setParam(QStringLiteral("until"), until);
    q.open();
    const int rows = q.recordCount();
    {
        MainRun run(*w, QStringLiteral("Generating Print Preview"), rows);
        run.beginReport(QStringLiteral("List of Bookings for ") + HtmlEscape(user), HtmlEscape(CurrentUser));
        ReportLine(QStringLiteral("From Date: ") + FormatShortDate(from));
        ReportLine(QStringLiteral("To Date: ") + FormatShortDate(until));
        ReportLine(QStringLiteral("System found %1 bookings between these dates").arg(rows));
        ReportLine(QString());
        for (q.first(); !q.eof(); q.next()) {
            ReportLine(FormatShortDate(q.asDate(QStringLiteral("date"))) + QLatin1Char(',')
                       + HtmlEscape(q.asString(QStringLiteral("period"))) + QLatin1Char(':')
                       + HtmlEscape(q.asString(QStringLiteral("itembooked"))) + QLatin1Char('-')
                       + HtmlEscape(q.asString(QStringLiteral("forreason"))));
            StatusStep();
        }
        StatusEnd();
        ReportLine(QString());
        run.endReport();
    }
    ShowReportViewer();
    if (!ProgramEnding)
        done(mrOk);
}

void Tprintlistbookingsfrm::Button3Click() { done(mrCancel); }

Tprintlistbookingsfrm* PrintListBookingsForm() { return SharedForm<Tprintlistbookingsfrm>(); }

int ShowPrintListBookings(const QDate& startDate)
{
    Tprintlistbookingsfrm* f = PrintListBookingsForm();
    f->setStartDate(startDate);
    return f->showModal();
}
