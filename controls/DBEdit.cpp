#include "DBEdit.h"

#include "DbError.h"

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::Typed);
    setEnabled(false);
}

TDBEdit::~TDBEdit()
{
    for (const auto& c : m_links)
        disconnect(c);
}

void TDBEdit::SetDataSource(DataSource* source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source)
        connect(source, &DataSource::dataSetChanged, this, &TDBEdit::Relink);
    Relink();
}

void TDBEdit::SetDataField(const QString& field)
{
    m_field = field;
    ShowField();
}

void TDBEdit::Relink()
{
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    m_linked = m_source ? m_source->dataSet() : nullptr;
    if (Dataset* ds = m_linked) {
        m_links.push_back(connect(ds, &Dataset::currentChanged, this, &TDBEdit::ShowField));
        m_links.push_back(connect(ds, &Dataset::dataChanged, this, &TDBEdit::ShowField));
        m_links.push_back(connect(ds, &Dataset::stateChanged, this, &TDBEdit::ShowField));
    }
    ShowField();
}

Dataset* TDBEdit::LinkedDataset() const
{
    Dataset* ds = m_linked;
    return ds && ds->isActive() ? ds : nullptr;
}

void TDBEdit::ShowField()
{
    // While typing starts a pending change, the text typed stays.
    if (m_writing)
        return;
    Dataset* ds = LinkedDataset();
    QString text;
    bool usable = false;
    try {
        if (ds && !m_field.isEmpty() && ds->hasField(m_field)) {
            usable = true;
            text = ds->asString(m_field);
        }
    } catch (const DbError&) {
        usable = false;
    }
    setEnabled(usable);
    if (text != this->text())
        setText(text);
}

void TDBEdit::Typed(const QString& text)
{
    Dataset* ds = LinkedDataset();
    if (!ds || m_field.isEmpty())
        return;
    m_writing = true;
    try {
        if (ds->state() == Dataset::State::Browse)
            ds->edit();
        ds->setValue(m_field, text);
    } catch (const DbError&) {
        // No record to write into (an empty table): the edit shows the
        // record's field again.
        m_writing = false;
        ShowField();
        return;
    }
    m_writing = false;
}
