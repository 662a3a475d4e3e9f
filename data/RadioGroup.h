#pragma once
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned group of exclusive choices laid out in columns (filled top to
// bottom, then left to right). The chosen item's index is -1 when none is
// chosen, which the form may also set to show no choice at all.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const { return m_items; }
    void setColumns(int columns);
    int columns() const { return m_columns; }

    int itemIndex() const;
    void setItemIndex(int index);   // -1 (or any index out of range): no choice

    int count() const { return static_cast<int>(m_buttons.size()); }
    QRadioButton* button(int index) const;

signals:
    // The user chose an item (not sent when the form sets the index).
    void clicked();
    void itemIndexChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutButtons();

    QButtonGroup* m_group;
    QList<QRadioButton*> m_buttons;
    QStringList m_items;
    int m_columns = 1;
};
