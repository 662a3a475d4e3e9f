#include "periodselectorfrm.h"

#include "LogonLook.h"
#include "Lookups.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>

int SelectedPeriodCount = 0;

namespace {
const char* const DayLetters[] = {"M", "T", "W", "T", "F"};
const char* const BoxPrefixes[] = {"mp", "tp", "wp", "thp", "fp"};
const char* const ListNames[] = {"MonSel", "TueSel", "WedSel", "ThuSel", "FriSel"};
constexpr int DayLefts[] = {56, 80, 104, 128, 151};
} // namespace

Tperiodselectorfrm::Tperiodselectorfrm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("periodselectorfrm"));
    ApplyLogonLook(this);
    resize(GridWidth, MaxPeriods * RowHeight + 34);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (int d = 0; d < Days; ++d) {
        auto* l = new QLabel(QLatin1String(DayLetters[d]), this);
        l->setObjectName(QStringLiteral("Label%1").arg(d + 1));
        l->setGeometry(DayLefts[d], 8, 17, 20);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        dayLabels[d] = l;
    }
    // The boxes keep the usual white inside and black tick: on the deep blue
    // face an empty box drawn in the face's own colours can hardly be seen.
    QPalette boxColours = palette();
    boxColours.setColor(QPalette::Base, Qt::white);
    boxColours.setColor(QPalette::Text, Qt::black);
    for (int k = 0; k < MaxPeriods; ++k) {
        const int top = FirstRowTop + k * RowHeight;
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("p%1lbl").arg(k + 1));
        l->setTextFormat(Qt::PlainText);
        l->setGeometry(8, top, 39, 17);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        periodLabels[k] = l;
        for (int d = 0; d < Days; ++d) {
            auto* b = new QCheckBox(this);
            b->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(BoxPrefixes[d])).arg(k + 1));
            // Friday's boxes of the first and fourth rows stand a pixel further right.
            const int left = (d == 4 && (k == 0 || k == 3)) ? 152 : DayLefts[d];
            b->setGeometry(left, top, 17, 17);
            b->setPalette(boxColours);
            connect(b, &QCheckBox::toggled, this, &Tperiodselectorfrm::CheckClick);
            boxes[d][k] = b;
        }
    }
    QListWidget** lists[] = {&MonSel, &TueSel, &WedSel, &ThuSel, &FriSel};
    for (int d = 0; d < Days; ++d) {
        // Out of sight, beyond the grid's right edge.
        auto* l = new QListWidget(this);
        l->setObjectName(QLatin1String(ListNames[d]));
        l->setGeometry(192, 8 + d * 40, 60, 36);
        *lists[d] = l;
    }
    Shape1->raise();
}

QListWidget* Tperiodselectorfrm::DayList(int day) const
{
    switch (day) {
    case 1: return MonSel;
    case 2: return TueSel;
    case 3: return WedSel;
    case 4: return ThuSel;
    case 5: return FriSel;
    default: return nullptr;
    }
}

QStringList Tperiodselectorfrm::Selection(int dayOfWeek) const
{
    QStringList names;
    if (const QListWidget* l = DayList(dayOfWeek)) {
        for (int i = 0; i < l->count(); ++i)
            names << l->item(i)->text();
    }
    return names;
}

void Tperiodselectorfrm::FormShow()
{
    for (int d = 1; d <= Days; ++d)
        DayList(d)->clear();
    for (QLabel* l : periodLabels)
        l->clear();
    for (auto& column : boxes) {
        for (QCheckBox* b : column) {
            const QSignalBlocker quiet(b);
            b->setChecked(false);
            b->hide();
        }
    }
    m_rows = std::min(HighestPeriodOrder(), int(MaxPeriods));
    for (int k = 1; k <= m_rows; ++k) {
        periodLabels.at(k - 1)->setText(PeriodNameAt(k));
        for (int d = 1; d <= Days; ++d)
            Box(d, k)->show();
    }
    resize(GridWidth, m_rows * RowHeight + 34);
    Shape1->setGeometry(rect());
    RebuildSelection();
}

void Tperiodselectorfrm::RebuildSelection()
{
    int count = 0;
    for (int d = 1; d <= Days; ++d) {
        QStringList names;
        for (int k = 1; k <= MaxPeriods; ++k) {
            if (Box(d, k)->isChecked())
                names << PeriodNameAt(k);
        }
        QListWidget* list = DayList(d);
        list->clear();
        list->addItems(names);
        count += list->count();
    }
    SelectedPeriodCount = count;
}

void Tperiodselectorfrm::invert(const QList<QCheckBox*>& toInvert)
{
    // The boxes change quietly and the lists are rebuilt once.
    for (QCheckBox* b : toInvert) {
        const QSignalBlocker quiet(b);
        b->setChecked(!b->isChecked());
    }
    RebuildSelection();
}

void Tperiodselectorfrm::DayLabelClick(int day)
{
    QList<QCheckBox*> column;
    for (int k = 1; k <= m_rows; ++k)
        column << Box(day, k);
    invert(column);
}

void Tperiodselectorfrm::PeriodLabelClick(int order)
{
    if (order < 1 || order > m_rows)
        return;
    QList<QCheckBox*> row;
    for (int d = 1; d <= Days; ++d)
        row << Box(d, order);
    invert(row);
}

bool Tperiodselectorfrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int d = 0; d < Days; ++d) {
            if (watched == dayLabels[d]) {
                DayLabelClick(d + 1);
                return true;
            }
        }
        for (int k = 0; k < MaxPeriods; ++k) {
            if (watched == periodLabels[k]) {
                PeriodLabelClick(k + 1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

Tperiodselectorfrm* PeriodSelectorForm()
{
    // Made again should a host window have taken it along when it went.
    static QPointer<Tperiodselectorfrm> form;
    if (!form)
        form = new Tperiodselectorfrm;
    return form;
}

Tperiodselectorfrm* EmbedPeriodSelector(QWidget* dialog, const QWidget* above)
{
    Tperiodselectorfrm* grid = PeriodSelectorForm();
    if (grid->parentWidget() != dialog)
        grid->setParent(dialog);   // as a child: this also hides it
    if (above)
        grid->move(above->x(), above->y() + above->height());
    grid->FormShow();
    grid->show();
    grid->raise();
    return grid;
}
