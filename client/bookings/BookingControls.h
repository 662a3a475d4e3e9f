#pragma once
#include <QRect>
#include <QString>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls the booking dialogs are built from.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& r);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& r, int maxLength);
// A date picker for whole days, with its calendar popup, in the locale's
// short or long date form.
QDateEdit* MakeDatePicker(QWidget* parent, const char* name, bool longForm, const QRect& r);
QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text, int x, int y, int w);

// The categories of the main window, standing on the one it has chosen.
void ShowMainCategories(QComboBox* box);
