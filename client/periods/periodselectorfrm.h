#pragma once
#include <QStringList>
#include <QWidget>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;

// The number of ticked boxes of the period grid, that is the entries of its
// five day lists together.
extern int SelectedPeriodCount;

// The period grid that booking dialogs embed: the weekdays Monday to Friday
// as columns, the periods of the day as rows. A weekday letter or a period
// name inverts its column or row; the ticked periods of each day are kept,
// in period order, in the day's list.
class Tperiodselectorfrm : public QWidget {
    Q_OBJECT
public:
    explicit Tperiodselectorfrm(QWidget* parent = nullptr);

    static constexpr int Days = 5;
    static constexpr int MaxPeriods = 12;
    static constexpr int GridWidth = 174;
    static constexpr int FirstRowTop = 32;
    static constexpr int RowHeight = 24;

    std::array<QLabel*, Days> dayLabels{};                 // Label1 .. Label5: "M" "T" "W" "T" "F"
    std::array<QLabel*, MaxPeriods> periodLabels{};        // p1lbl .. p12lbl
    std::array<std::array<QCheckBox*, MaxPeriods>, Days> boxes{};   // mp1 .. fp12
    QListWidget* MonSel;
    QListWidget* TueSel;
    QListWidget* WedSel;
    QListWidget* ThuSel;
    QListWidget* FriSel;
    QFrame* Shape1;

    // day 1 (Monday) .. 5 (Friday), order 1 .. 12.
    QCheckBox* Box(int day, int order) const { return boxes.at(day - 1).at(order - 1); }
    QListWidget* DayList(int day) const;
    // The ticked period names of a date's weekday (Qt's numbering, Monday 1);
    // Saturday and Sunday have none.
    QStringList Selection(int dayOfWeek) const;

    // Empties the lists and the ticks and shows the rows of the periods the
    // file holds now, the grid's height fitted to them.
    void FormShow();
    // The day lists and the count, afresh from the boxes.
    void RebuildSelection();

    // The weekday letters and the period names invert a column or a row.
    void DayLabelClick(int day);
    void PeriodLabelClick(int order);
    void Label1Click() { DayLabelClick(1); }
    void Label2Click() { DayLabelClick(2); }
    void Label3Click() { DayLabelClick(3); }
    void Label4Click() { DayLabelClick(4); }
    void Label5Click() { DayLabelClick(5); }
    void p1lblClick() { PeriodLabelClick(1); }
    void p2lblClick() { PeriodLabelClick(2); }
    void p3lblClick() { PeriodLabelClick(3); }
    void p4lblClick() { PeriodLabelClick(4); }
    void p5lblClick() { PeriodLabelClick(5); }
    void p6lblClick() { PeriodLabelClick(6); }
    void p7lblClick() { PeriodLabelClick(7); }
    void p8lblClick() { PeriodLabelClick(8); }
    void p9lblClick() { PeriodLabelClick(9); }
    void p10lblClick() { PeriodLabelClick(10); }
    void p11lblClick() { PeriodLabelClick(11); }
    void p12lblClick() { PeriodLabelClick(12); }
    // Every box's change (all sixty boxes share this one handler).
    void CheckClick() { RebuildSelection(); }

    int ShownRows() const { return m_rows; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void invert(const QList<QCheckBox*>& toInvert);

    int m_rows = 0;
};

Tperiodselectorfrm* PeriodSelectorForm();

// Embeds the one period grid in a dialog, just under the given label of it
// (the dialog's "Label5"), and resets it. A dialog calls this when it is
// shown, so it never sees the ticks another dialog left.
Tperiodselectorfrm* EmbedPeriodSelector(QWidget* dialog, const QWidget* above);
