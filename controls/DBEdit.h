#pragma once
// The data-aware edit: one field of a dataset's current record. It shows the
// field of the current record (of the pending change while there is one) and
// writes what is typed into the pending change, starting one when the record
// is only browsed. Posting and cancelling are the owner's business.
#include "Dataset.h"

#include <QLineEdit>
#include <QPointer>
#include <vector>

class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;

    DataSource* dataSource() const { return m_source; }
    void SetDataSource(DataSource* source);
    QString DataField() const { return m_field; }
    void SetDataField(const QString& field);

    // Shows the field of the current record again.
    void ShowField();

private:
    void Relink();
    void Typed(const QString& text);
    Dataset* LinkedDataset() const;

    QPointer<DataSource> m_source;
    QPointer<Dataset> m_linked;
    std::vector<QMetaObject::Connection> m_links;
    QString m_field;
    bool m_writing = false;
};
