#pragma once
#include <QApplication>

#include <exception>
#include <functional>

// The text of an error that reached the top: a database or file error's
// own text, otherwise what the error says of itself.
QString ErrorText(const std::exception& e);

// Runs one piece of work as the program's top level does: an error that
// escapes it is shown in the message box and the program goes on. Answers
// false when an error was caught.
bool RunShowingErrors(const std::function<void()>& work);

// Sets the program's title, the name the desktop knows it by. It is the
// application's name, not its display name: Qt appends a display name,
// once set, to every window's caption, and the captions stand as given.
void SetApplicationTitle(const QString& title);

// The family the windows' sizes were laid out for: a sans-serif with the
// widths of the common one of the desktop the client was designed on.
inline const QString ProgramFontFamily = QStringLiteral("Liberation Sans");
// Makes it, at 8 points, the font of every window of the application; the
// windows that set their own sizes keep its family. Done once at start.
void SetProgramFont();

// The application object of every program: each event is delivered through the
// top-level error handler, so an error raised while handling it is shown
// and the program goes on.
class TavrellApplication : public QApplication {
    Q_OBJECT
public:
    TavrellApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
