#include "otheroptionsfrm.h"

#include "DataModule.h"
#include "SmallDialogs.h"
#include "mainfrm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace M = OtherOptionsMessages;

void ShowPlainMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, MainMessages::Caption, text, QMessageBox::Ok, MainWindow());
    box.setObjectName(QStringLiteral("plainmessage"));
    box.setTextFormat(Qt::PlainText);
    ModalSeam::exec(box);
}

TOtherConfigurationOptionsFrm::TOtherConfigurationOptionsFrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("OtherConfigurationOptionsFrm"));
    setWindowTitle(M::Caption);
    setFixedSize(361, 209);

    Label1 = new QLabel(M::Explanation, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(8, 8, 345, 92);

    enablebookinglimit = new QCheckBox(QStringLiteral("Enable booking in advance limit"), this);
    enablebookinglimit->setObjectName(QStringLiteral("enablebookinglimit"));
    enablebookinglimit->setGeometry(8, 108, 273, 17);

    bookinglimitdaysLabel = new QLabel(QStringLiteral("Max Days Ahead:"), this);
    bookinglimitdaysLabel->setObjectName(QStringLiteral("bookinglimitdaysLabel"));
    bookinglimitdaysLabel->setGeometry(8, 136, 113, 21);
    bookinglimitdays = new QLineEdit(this);
    bookinglimitdays->setObjectName(QStringLiteral("bookinglimitdays"));
    bookinglimitdays->setGeometry(124, 136, 57, 21);
    bookinglimitdaysLabel->setBuddy(bookinglimitdays);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(192, 176, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(276, 176, 75, 25);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TOtherConfigurationOptionsFrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TOtherConfigurationOptionsFrm::Button2Click);
}

void TOtherConfigurationOptionsFrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOver(this, MainWindow());
    FormShow();
}

void TOtherConfigurationOptionsFrm::FormShow()
{
    Dataset& config = DM().ConfigTable;
    config.first();
    config.refresh();
    enablebookinglimit->setChecked(config.asBoolean(QStringLiteral("enablebookinglimit")));
    bookinglimitdays->setText(QString::number(config.asInteger(QStringLiteral("bookinglimitdays"))));
}

void TOtherConfigurationOptionsFrm::Button1Click()
{
    const QString text = bookinglimitdays->text();
    bool whole = false;
    const int days = text.toInt(&whole, 10);
    if (!whole) {
        ShowPlainMessage(M::NotANumber(text));
        return;
    }
    if (days < 1) {
        ShowPlainMessage(M::MinimumDays);
        return;
    }
    Dataset& config = DM().ConfigTable;
    EditAndPost(config, [&] {
        config.setValue(QStringLiteral("enablebookinglimit"), enablebookinglimit->isChecked());
        config.setValue(QStringLiteral("bookinglimitdays"), days);
    });
    done(mrOk);
}

void TOtherConfigurationOptionsFrm::Button2Click() { done(mrCancel); }

TOtherConfigurationOptionsFrm* OtherConfigurationOptionsForm() { return SharedForm<TOtherConfigurationOptionsFrm>(); }
