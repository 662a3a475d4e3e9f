#include "RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int) { emit clicked(); });
    connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            emit itemIndexChanged(itemIndex());
    });
}

void TRadioGroup::setItems(const QStringList& items)
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        m_group->addButton(b, i);
        m_buttons << b;
        b->show();
    }
    layoutButtons();
}

void TRadioGroup::setColumns(int columns)
{
    m_columns = std::max(1, columns);
    layoutButtons();
}

int TRadioGroup::itemIndex() const { return m_group->checkedId(); }

void TRadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < count()) {
        m_buttons.at(index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: let go of it for a moment.
    if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
        emit itemIndexChanged(-1);
    }
}

QRadioButton* TRadioGroup::button(int index) const
{
    return index >= 0 && index < count() ? m_buttons.at(index) : nullptr;
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    layoutButtons();
}

void TRadioGroup::layoutButtons()
{
    if (m_buttons.isEmpty())
        return;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect inner = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this)
                            .adjusted(4, 0, -4, -2);
    const int perColumn = (count() + m_columns - 1) / m_columns;
    const int columnWidth = inner.width() / m_columns;
    const int rowHeight = perColumn > 0 ? inner.height() / perColumn : inner.height();
    for (int i = 0; i < count(); ++i) {
        const int col = i / perColumn;
        const int row = i % perColumn;
        const int h = std::min(rowHeight, m_buttons.at(i)->sizeHint().height());
        m_buttons.at(i)->setGeometry(inner.left() + col * columnWidth,
                                     inner.top() + row * rowHeight + (rowHeight - h) / 2, columnWidth, h);
    }
}
