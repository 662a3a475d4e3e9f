#pragma once
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The look the log-on and registration dialogs share: deep blue face, bold
// cream text, edits in the face colour, typed passwords shown as "*".
void ApplyLogonLook(QWidget* dialog);
// The dialog's buttons drawn flat, as its other controls are: a thin frame in
// the text colour, no bevel.
void MakeLogonButtonsFlat(QWidget* dialog);
// An edit at left, top with its caption just above it.
QLineEdit* LogonEdit(QWidget* dialog, const char* name, const QString& caption, int left, int top,
                     int width, bool password = false);
// Hides what is typed into an edit, showing "*" for each character.
void MaskPassword(QLineEdit* edit);
// Makes the client's own pictures available (":/client/pictures/...").
void LoadClientPictures();
// A picture of the dialog's own.
QLabel* LogonPicture(QWidget* dialog, const QString& resource, int left, int top, int width, int height);
