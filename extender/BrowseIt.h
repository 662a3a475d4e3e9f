#pragma once
#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

// A folder picker: shows the folder chooser over an owner window and keeps
// the chosen folder. The extender locates an installation with it, the
// importer its two installations.
//
// The chooser is Qt's own folder dialog (not the desktop's), so that it can
// open on the folder chosen before; it goes through ModalSeam, so tests
// answer it like any other dialog.
class TBrowseIt : public QObject {
    Q_OBJECT
public:
    explicit TBrowseIt(QObject* parent = nullptr);

    // The chosen folder, also the one the chooser opens on; empty until a
    // folder is chosen or set.
    QString Directory;
    // The text over the folder tree (empty: the dialog's own title).
    QString Title;

    // Shows the chooser modally over owner. Confirming an existing folder
    // stores it in Directory; a cancel (or anything that is not an existing
    // folder) leaves Directory as it was.
    void Execute(QWidget* owner);

    // Prepares a chooser as it opens: its status line shows Directory, and
    // it opens on Directory when that is set.
    void BrowseCallback(QFileDialog& dialog) const;
};
