#include "Alerts.h"
#include "IoError.h"
#include "ReportLog.h"
#include "SmallDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QToolBar* bar, const char* name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setIcon(bar->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

// Copies the report's own bytes, not the view's rewrite of them. With
// reports off the viewer shows an empty page, and that is what is saved:
// never a file an earlier run left.
void copyReport(const QString& target)
{
    QByteArray bytes;
    if (ReportsEnabled) {
        QFile in(ReportFilePath());
        if (!in.open(QIODevice::ReadOnly))
            throw IoError(QStringLiteral("Unable to read the report: ") + in.errorString());
        bytes = in.readAll();
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()
        || !out.flush())
        throw IoError(QStringLiteral("Unable to save the report as \"%1\": %2").arg(target, out.errorString()));
    out.close();

    // The report shows the logo by its bare name, from the folder it lies
    // in: a copy saved elsewhere takes the logo with it, so it shows as it
    // did in the viewer. A file of that name already there is left alone.
    if (!ReportsEnabled)
        return;
    const QDir targetDir = QFileInfo(target).absoluteDir();
    const QString logoName = QStringLiteral("reportlogo.jpg");
    const QString logo = ReportsFolder() + logoName;
    if (targetDir == QDir(ReportsFolder()) || targetDir.exists(logoName) || !QFileInfo(logo).isFile())
        return;
    if (!QFile::copy(logo, targetDir.filePath(logoName)))
        throw IoError(QStringLiteral("The report was saved, but its logo could not be copied to \"%1\"")
                          .arg(targetDir.path()));
}

} // namespace

// ------------------------------------------------------------------ viewer

Treporterfrm::Treporterfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("reporterfrm"));
    setWindowTitle(QStringLiteral("Results Report"));
    setSizeGripEnabled(true);
    resize(640, 480);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(32, 32));
    DisMissReportBtn = toolButton(ToolBar1, "DisMissReportBtn", QStringLiteral("Dismiss"),
                                  QStyle::SP_DialogCloseButton);
    ToolButton1 = toolButton(ToolBar1, "ToolButton1", QStringLiteral("Save"), QStyle::SP_DialogSaveButton);
    ToolButton2 = toolButton(ToolBar1, "ToolButton2", QStringLiteral("Print"), QStyle::SP_FileIcon);
    layout->addWidget(ToolBar1);
    web = new QTextBrowser(this);
    web->setObjectName(QStringLiteral("web"));
    web->setOpenLinks(false);
    layout->addWidget(web, 1);

    connect(DisMissReportBtn, &QToolButton::clicked, this, &Treporterfrm::DisMissReportBtnClick);
    connect(ToolButton1, &QToolButton::clicked, this, &Treporterfrm::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &Treporterfrm::ToolButton2Click);
}

void Treporterfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    FormShow();
}

void Treporterfrm::FormShow()
{
    // With reports off there is no report of this run: an empty page, never
    // whatever file an earlier run left.
    web->clear();
    if (!ReportsEnabled)
        return;
    const QUrl url = QUrl::fromLocalFile(ReportFilePath());
    if (web->source() == url)
        web->reload();   // the same name holds a newer report
    else
        web->setSource(url);
}

void Treporterfrm::DisMissReportBtnClick() { done(mrCancel); }

void Treporterfrm::ToolButton1Click()
{
    QFileDialog dialog(this, QStringLiteral("Save Report As"));
    dialog.setObjectName(QStringLiteral("SaveReportDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("HTML Files (*.htm *.html)"));
    dialog.setDefaultSuffix(QStringLiteral("htm"));
    if (ModalSeam::exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    try {
        copyReport(dialog.selectedFiles().constFirst());
    } catch (const IoError& e) {
        ShowAlert(e.text());
    }
}

void Treporterfrm::ToolButton2Click()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintReportDialog"));
    if (ModalSeam::exec(dialog) != QDialog::Accepted)
        return;
    web->document()->print(&printer);
    // A print that could not start (an output file that cannot be written,
    // a printer that refused) is said, not passed over.
    if (printer.printerState() == QPrinter::Error)
        ShowAlert(QStringLiteral("Unable to print the report"));
}

// ------------------------------------------------------------------ message box

Talertfrm::Talertfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("alertfrm"));
    setWindowTitle(QStringLiteral("Tavrell"));
    setFixedSize(464, 120);
    setEscapeResult(mrOk);   // OK is the cancel button too

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 105, 105);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/data/pictures/alert.png")));
    Msg = new QLabel(this);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setGeometry(120, 8, 337, 81);
    Msg->setWordWrap(true);
    Msg->setTextFormat(Qt::PlainText);
    Msg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(216, 88, 129, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("View Report"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(296, 88, 129, 25);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Talertfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Talertfrm::Button2Click);
}

void Talertfrm::prepare(const QString& message, bool withReport)
{
    Msg->setText(message);
    Button1->move(withReport ? 152 : 216, 88);
    Button2->move(296, 88);
    Button2->setVisible(withReport);
    Button1->setFocus();
    CentreOnScreen(this);
}

void Talertfrm::Button1Click() { done(mrOk); }

void Talertfrm::Button2Click()
{
    ShowReportViewer();
    done(mrOk);
}

// ------------------------------------------------------------------ routines

Treporterfrm* ReporterForm()
{
    return SharedForm<Treporterfrm>();
}

Talertfrm* AlertForm()
{
    return SharedForm<Talertfrm>();
}

void ShowAlertWithReport(const QString& message, bool offerReport)
{
    const bool withReport = offerReport && ReportsEnabled;
    Talertfrm* shared = AlertForm();
    if (!shared->isVisible()) {
        shared->prepare(message, withReport);
        shared->showModal();
        return;
    }
    // A message over a message (a timer's notice while another is open):
    // a box of its own, so the first keeps its text.
    Talertfrm box;
    box.setBackgroundPicture(shared->bg);
    box.prepare(message, withReport);
    box.showModal();
}

void ShowAlert(const QString& message) { ShowAlertWithReport(message, false); }

int ShowReportViewer()
{
    Treporterfrm* f = ReporterForm();
    CentreOver(f, MainWindow());
    return f->showModal();
}
