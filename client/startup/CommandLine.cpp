#include "CommandLine.h"
#include "Text.h"

TStartupSwitches ParseCommandLine(const QStringList& arguments)
{
    TStartupSwitches s;
    const QString userSwitch = QStringLiteral("/USER:");
    const QString passSwitch = QStringLiteral("/PASS:");
    for (const QString& argument : arguments) {
        const QString a = Text::upper(argument);
        if (a == QLatin1String("/ENABLELOGIN") || a == QLatin1String("/ENABLELOGON"))
            s.EnableLogin = true;
        else if (a == QLatin1String("/ONLINERESET") || a == QLatin1String("/ONLINEUSERRESET")
                 || a == QLatin1String("/IGNOREONLINEFLAG"))
            s.OnlineOverride = true;
        else if (a == QLatin1String("/LOGIN"))
            s.PromptForLogon = true;
        else if (a == QLatin1String("/DISABLEREPORTS"))
            s.DisableReports = true;
        else if (a == QLatin1String("/?"))
            s.ShowHelp = true;
        else if (a == QLatin1String("/CHECK"))
            s.CheckSwitch = true;
        else if (a == QLatin1String("/OVERIDESYSTEMVARS"))
            s.OverrideSystemVars = true;
        else if (a.startsWith(userSwitch)) {
            s.CredentialsGiven = true;
            s.SwitchUser = a.mid(userSwitch.size()).left(MaxSwitchValue);
        } else if (a.startsWith(passSwitch)) {
            s.CredentialsGiven = true;
            s.SwitchPassword = a.mid(passSwitch.size()).left(MaxSwitchValue);
        }
    }
    return s;
}
