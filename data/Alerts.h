#pragma once
#include "Forms.h"

#include <QString>

class QLabel;
class QPushButton;
class QTextBrowser;
class QToolBar;
class QToolButton;

// The report viewer: the logged-on user's report with Dismiss, Save and
// Print.
class Treporterfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Treporterfrm(QWidget* parent = nullptr);
    QToolBar* ToolBar1;
    QToolButton* DisMissReportBtn;
    QToolButton* ToolButton1;   // "Save"
    QToolButton* ToolButton2;   // "Print"
    QTextBrowser* web;

    void FormShow();
    void DisMissReportBtnClick();
    void ToolButton1Click();
    void ToolButton2Click();

protected:
    void showEvent(QShowEvent* event) override;
};

// The message box through which every notice and error is shown.
class Talertfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Talertfrm(QWidget* parent = nullptr);
    QLabel* Image1;
    QLabel* Msg;
    QPushButton* Button1;   // "OK"
    QPushButton* Button2;   // "View Report"

    // Lays the box out for one message, with or without "View Report".
    void prepare(const QString& message, bool withReport);
    void Button1Click();
    void Button2Click();
};

// The shared instances, made on first use and kept until the program ends.
Treporterfrm* ReporterForm();
Talertfrm* AlertForm();

// Shows the message with "OK".
void ShowAlert(const QString& message);
// Shows the message, offering "View Report" when offerReport is true and
// reports are enabled.
void ShowAlertWithReport(const QString& message, bool offerReport);
// Shows the report viewer modally; answers its modal result.
int ShowReportViewer();
