#pragma once
#include <QPixmap>
#include <QStringList>

class DataModule;
class QWidget;

// What the start-up needs of the client's main window: the data module it
// holds, its background picture, its two shutdown timers and its filling.
class StartupHost {
public:
    virtual ~StartupHost() = default;
    virtual DataModule& dataModule() = 0;
    // The main window itself; it stays hidden until the start-up shows it.
    virtual QWidget* window() = 0;
    virtual void setBackgroundPicture(const QPixmap& picture) = 0;
    // The timer that closes the main window 10 s after a forced shutdown.
    virtual void startShutDownTimer() = 0;
    // The 5 s watch on the control row.
    virtual void startWatchDog() = 0;
    // Fills the main window for the logged-on user.
    virtual void initMainWindow() = 0;
};

// How a start-up ended.
enum class StartupOutcome {
    Running,               // the main window shows: run the event loop
    HelpShown,             // "/?": the help box, nothing else
    BackgroundUnreadable,  // "bg.bmp" is there but is no picture
    DataMissing,           // no "data.mdb" in the program folder
    ConnectFailed,         // "data.mdb" could not be opened as a database
    SystemTableFailed,     // the control table could not be opened
    SettingsFailed,        // the program folder could not be stored
    LoginDenied,           // the control row denies log-ins
    ForcedShutdown,        // a named user ordered a shutdown
    TablesFailed,          // one of the other tables could not be opened
    SchemaOutdated,        // the schema level is not "5C"
    LogonFailed,           // nobody logged on
    AccountExpired,        // the account has expired
    Ended,                 // the program was ended during a dialog
    Failed,                // an unexpected error; its text was shown
};

// Runs the client's start-up from the command line to the shown main
// window. AppFolder must hold the program folder. Nothing after a step that
// ends the start-up runs, and nothing more is written to the database.
StartupOutcome RunStartup(StartupHost& host, const QStringList& arguments);

// Creates the client's windows, once each, in their fixed order.
void CreateClientForms();
// Gives every window that carries the background picture the picture.
void LoadBackgroundPicture(StartupHost& host, const QPixmap& picture);
