#include "TavrellApplication.h"
#include "Alerts.h"
#include "DbError.h"
#include "IoError.h"

QString ErrorText(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const DbError*>(&e))
        return db->text();
    if (const auto* io = dynamic_cast<const IoError*>(&e))
        return io->text();
    return QString::fromLocal8Bit(e.what());
}

bool RunShowingErrors(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ShowAlert(ErrorText(e));
    } catch (...) {
        ShowAlert(QStringLiteral("An unknown error occurred"));
    }
    return false;
}

void SetApplicationTitle(const QString& title) { QCoreApplication::setApplicationName(title); }

void SetProgramFont()
{
    QFont f(ProgramFontFamily);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    QApplication::setFont(f);
}

TavrellApplication::TavrellApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    SetProgramFont();
}

bool TavrellApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunShowingErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
