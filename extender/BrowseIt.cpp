#include "BrowseIt.h"
#include "Forms.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

TBrowseIt::TBrowseIt(QObject* parent) : QObject(parent) {}

void TBrowseIt::BrowseCallback(QFileDialog& dialog) const
{
    // The status line under the tree: the folder the chooser starts from.
    auto* status = dialog.findChild<QLabel*>(QStringLiteral("StatusText"));
    if (!status) {
        status = new QLabel(&dialog);
        status->setObjectName(QStringLiteral("StatusText"));
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    }
    status->setText(Directory);
    if (!Directory.isEmpty())
        dialog.setDirectory(Directory);
}

void TBrowseIt::Execute(QWidget* owner)
{
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("BrowseForFolder"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    BrowseCallback(dialog);

    if (ModalSeam::exec(dialog) != QDialog::Accepted)
        return;
    const QString chosen = dialog.selectedFiles().value(0);
    // Only a folder that exists is taken, with its full path: a path cut
    // short would name another folder.
    if (chosen.isEmpty() || !QFileInfo(chosen).isDir())
        return;
    Directory = chosen;
}
