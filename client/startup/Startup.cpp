#include "Startup.h"
#include "Accounts.h"
#include "Alerts.h"
#include "CommandLine.h"
#include "DataModule.h"
#include "DbError.h"
#include "InstallSettings.h"
#include "LogOn.h"
#include "LogonLook.h"
#include "Lookups.h"
#include "Pause.h"
#include "Random.h"
#include "ReportLog.h"
#include "Seeding.h"
#include "Session.h"
#include "SmallDialogs.h"
#include "StartupMessages.h"
#include "StatusWindows.h"
#include "TavrellApplication.h"
#include "aboutfrm.h"
#include "adduserfrm.h"
#include "admusersfrm.h"
#include "autoregfrm.h"
#include "cmdlinehelpfrm.h"
#include "defaultrightsfrm.h"
#include "findbookingfrm.h"
#include "logincfgfrm.h"
#include "logonfrm.h"
#include "addinvfrm.h"
#include "adminvfrm.h"
#include "alterfrm.h"
#include "catfrm.h"
#include "lookupcatfrm.h"
#include "lookupuserfrm.h"
#include "otheroptionsfrm.h"
#include "periodselectorfrm.h"
#include "permanentfrm.h"
#include "printlistbookingsfrm.h"
#include "setperfrm.h"
#include "usagestatsfrm.h"
#include "usersonlinefrm.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

namespace M = StartupMessages;

void CreateClientForms()
{
    UsageStatsForm();
    FindBookingForm();
    SearchResultsForm();
    AboutForm();
    CreatePermanentBookingForm();
    PeriodSelectorForm();
    ReplicateForm();
    ReporterForm();
    PrintListBookingsForm();
    LogonForm();
    AlertForm();
    ChgPassForm();
    AutoRegForm();
    SetPeriodsForm();
    CatForm();
    QuestionForm();
    AdmUsersForm();
    InputForm();
    AddUserForm();
    AdminvForm();
    AddInvForm();
    LookupUserForm();
    LookupCatForm();
    LoginCfgForm();
    DefaultRightsForm();
    StatusForm();
    AlterBookingForm();
    UsersOnlineForm();
    MoveForm();
    CancelMassForm();
}

void LoadBackgroundPicture(StartupHost& host, const QPixmap& picture)
{
    host.setBackgroundPicture(picture);
    const QList<TFormBase*> forms = {AlertForm(),       ChgPassForm(),        LogonForm(),
                                     AutoRegForm(),     SetPeriodsForm(),     CatForm(),
                                     QuestionForm(),    AdmUsersForm(),       InputForm(),
                                     AddUserForm(),     AdminvForm(),         AddInvForm(),
                                     LookupUserForm(),  LookupCatForm(),      LoginCfgForm(),
                                     DefaultRightsForm(), StatusForm(),       AlterBookingForm(),
                                     ReplicateForm(),   CreatePermanentBookingForm(), ReporterForm(),
                                     PrintListBookingsForm(), FindBookingForm(), UsersOnlineForm(),
                                     MoveForm(),        CancelMassForm()};
    for (TFormBase* f : forms)
        f->setBackgroundPicture(picture);
}

namespace {

// The start-up's steps, each answering whether the start goes on.
class Startup {
public:
    Startup(StartupHost& host) : m_host(host) {}

    StartupOutcome run(const QStringList& arguments)
    {
        Random::randomize();
        LoadClientPictures();
        SetApplicationTitle(M::AppTitle);
        SetMainWindow(m_host.window());
        SetDM(&m_host.dataModule());
        CmdLineHelpForm();
        OtherConfigurationOptionsForm();

        StartupSwitches = ParseCommandLine(arguments);
        if (StartupSwitches.ShowHelp) {
            CmdLineHelpForm()->showModal();
            return StartupOutcome::HelpShown;
        }

        ShowSplash();
        QCoreApplication::processEvents();
        CreateClientForms();

        SplashStatus(M::StepInterface);
        if (!loadBackground())
            return finish(StartupOutcome::BackgroundUnreadable);
        SplashStatus(M::StepConnection);

        if (!connect())
            return m_outcome;
        if (!obeyControlRow())
            return m_outcome;
        m_host.startWatchDog();
        if (!openTables() || !checkSchema())
            return m_outcome;
        if (!seed())
            return m_outcome;
        decideReports();
        if (ProgramEnding)
            return finish(StartupOutcome::Ended);

        SplashStatus(M::StepLogon);
        PauseFor(1000);
        HideSplash();
        LogOn();
        if (ProgramEnding)
            return finish(StartupOutcome::Ended);
        if (!LoggedIn)
            return stop(StartupOutcome::LogonFailed, {M::UnsuccessfulLogin});
        if (CurrentUserExpired())
            return stop(StartupOutcome::AccountExpired, {M::AccountExpired});
        MarkUserOnline(CurrentUser);
        m_online = true;
        m_host.initMainWindow();
        if (ProgramEnding)
            return finish(StartupOutcome::Ended);
        m_host.window()->show();
        return StartupOutcome::Running;
    }

private:
    // Shows the messages one after the other and ends with the outcome. The
    // splash stays up while they show; it goes with the end.
    StartupOutcome stop(StartupOutcome outcome, const QStringList& messages)
    {
        for (const QString& m : messages) {
            if (ProgramEnding)
                break;
            ShowAlert(m);
        }
        return finish(outcome);
    }

    StartupOutcome finish(StartupOutcome outcome)
    {
        HideSplash();
        m_outcome = outcome;
        return outcome;
    }

    bool fail(StartupOutcome outcome, const QStringList& messages)
    {
        stop(outcome, messages);
        return false;
    }

    bool loadBackground()
    {
        const QString path = AppFolder + QStringLiteral("bg.bmp");
        if (!QFile::exists(path))
            return true;
        QPixmap picture;
        if (!picture.load(path)) {
            stop(StartupOutcome::BackgroundUnreadable, {M::BackgroundUnreadable.arg(path)});
            return false;
        }
        LoadBackgroundPicture(m_host, picture);
        return true;
    }

    bool connect()
    {
        const QString path = AppFolder + QStringLiteral("data.mdb");
        if (!QFile::exists(path))
            return fail(StartupOutcome::DataMissing, {M::DataMissing, M::MustTerminate});
        DataModule& dm = m_host.dataModule();
        try {
            dm.connectTo(path);
        } catch (const DbError&) {
            return fail(StartupOutcome::ConnectFailed, {M::CannotConnect, M::MustTerminate});
        }
        try {
            dm.SystemTable.open();
        } catch (const DbError& e) {
            return fail(StartupOutcome::SystemTableFailed, {M::SystemTableFailed.arg(e.text())});
        }
        QString problem;
        if (!InstallSettings::writeInstallFolder(AppFolder, &problem))
            return fail(StartupOutcome::SettingsFailed, {M::SettingsFailed.arg(problem)});
        return true;
    }

    // The control row: re-enabling log-ins first, then the refusals. A
    // table without its row reads as every flag clear, and re-enabling
    // never makes a row.
    bool obeyControlRow()
    {
        Dataset& sys = m_host.dataModule().SystemTable;
        sys.requery();
        sys.first();
        if (StartupSwitches.EnableLogin) {
            if (!sys.isEmpty()) {
                sys.edit();
                try {
                    sys.setValue(QStringLiteral("denylogin"), false);
                    sys.setValue(QStringLiteral("forceshutdown"), false);
                    sys.post();
                } catch (...) {
                    sys.cancel();
                    throw;
                }
            }
            ShowAlert(M::LoginEnabled);
            if (ProgramEnding)
                return fail(StartupOutcome::Ended, {});
        }
        if (sys.asBoolean(QStringLiteral("denylogin")))
            return fail(StartupOutcome::LoginDenied,
                        {M::LoginDenied + sys.asString(QStringLiteral("reason"))});
        const QString orderedBy = sys.asString(QStringLiteral("user"));
        if (sys.asBoolean(QStringLiteral("forceshutdown")) && !orderedBy.isEmpty()) {
            const QString reason = sys.asString(QStringLiteral("reason"));
            m_host.startShutDownTimer();
            ShowAlert(M::ForcedShutdownBy + orderedBy + M::ForcedShutdownReason + reason);
            return fail(StartupOutcome::ForcedShutdown, {});
        }
        return true;
    }

    bool openTables()
    {
        DataModule& dm = m_host.dataModule();
        try {
            for (Dataset* t : {&dm.UserTable, &dm.ConfigTable, &dm.PeriodsTable, &dm.catergoriestable,
                               &dm.itemstable, &dm.BookingsTable})
                t->open();
        } catch (const DbError&) {
            return fail(StartupOutcome::TablesFailed, {M::CannotConnect});
        }
        return true;
    }

    bool checkSchema()
    {
        SplashStatus(M::StepConfig);
        Dataset& cfg = m_host.dataModule().ConfigTable;
        cfg.requery();
        cfg.first();
        const bool current = !cfg.isEmpty() && cfg.hasField(QStringLiteral("DBVER"))
                             && cfg.asString(QStringLiteral("DBVER")) == QLatin1String("5C");
        if (!current)
            return fail(StartupOutcome::SchemaOutdated, {M::SchemaOutdated});
        return true;
    }

    bool seed()
    {
        if (FindUser(AdminName) == -1) {
            ShowAlert(M::AdminSetup);
            if (ProgramEnding)
                return fail(StartupOutcome::Ended, {});
            switch (SeedAdministrator()) {
            case SeedResult::Failed:
                // Go on without it: nobody else's row gets its rights.
                ShowAlert(M::AdminFailed);
                break;
            case SeedResult::Created:
                ChangePassword(AdminName, true);
                break;
            case SeedResult::Present:
                break;   // another client made it meanwhile
            }
            if (ProgramEnding)
                return fail(StartupOutcome::Ended, {});
        }
        if (SeedProfileUser() == SeedResult::Failed) {
            ShowAlert(M::ProfileFailed.arg(ProfileUserName));
            if (ProgramEnding)
                return fail(StartupOutcome::Ended, {});
        }
        SeedPeriods();
        SeedMiscellaneous();
        return true;
    }

    void decideReports()
    {
        ReportsEnabled = ReportFilesPresent() && !StartupSwitches.DisableReports;
        if (!ReportsEnabled && !StartupSwitches.DisableReports)
            ShowAlert(M::ReportsMissing);
    }

public:
    // True once the logged-on user has been marked online.
    bool markedOnline() const { return m_online; }

private:
    StartupHost& m_host;
    StartupOutcome m_outcome = StartupOutcome::Failed;
    bool m_online = false;
};

} // namespace

StartupOutcome RunStartup(StartupHost& host, const QStringList& arguments)
{
    Startup startup(host);
    try {
        return startup.run(arguments);
    } catch (const std::exception& e) {
        // An error no step expected: shown, and nothing later runs. A user
        // already marked online goes offline again, as when the window
        // closes, since this client will not run. The splash goes after the
        // message, as with every other end of the start.
        if (!ProgramEnding)
            ShowAlert(ErrorText(e));
        HideSplash();
        if (startup.markedOnline()) {
            try {
                MarkUserOffline(CurrentUser);
            } catch (const std::exception&) {
                // The database that failed may refuse this too.
            }
        }
        return StartupOutcome::Failed;
    }
}
