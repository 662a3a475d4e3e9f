#pragma once
// What the category and item dialogs share: their grid columns and
// labelled edits, the key that would delete a grid's record, and the
// re-reading of the main window's lists when an editor closes.
#include "BookingControls.h"
#include "CoolCtrlsDB.h"

#include <QRect>
#include <QString>

class QEvent;
class QLabel;
class QLineEdit;
class QWidget;

TColumn GridColumn(const QString& field, const QString& title, int width);
// An edit with its caption on the left.
QLineEdit* MakeLabelledEdit(QWidget* parent, const char* name, const char* labelName, const QString& caption,
                            const QRect& geometry, int labelWidth, int maxLength);
// Ctrl+Delete, with which a data grid deletes its current record.
bool IsRecordDeleteKey(const QEvent* event);
// The main window's category box, item list and sheet, read again.
void RefreshMainWindowLists();
