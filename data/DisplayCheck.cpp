#include "DisplayCheck.h"

#include <QStringList>
#include <QtGlobal>

bool DisplayUsable(const QString& platform, bool hasX11Display, bool hasWaylandDisplay)
{
    const QStringList candidates = platform.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (candidates.isEmpty())
        return hasX11Display || hasWaylandDisplay;
    for (const QString& candidate : candidates) {
        const QString name = candidate.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (name.isEmpty())
            continue;
        if (name == QLatin1String("xcb")) {
            if (hasX11Display)
                return true;
        } else if (name.startsWith(QLatin1String("wayland"))) {
            if (hasWaylandDisplay)
                return true;
        } else if (name != QLatin1String("offscreen") && name != QLatin1String("minimal")) {
            return true;   // a platform with a screen of its own (vnc, eglfs, linuxfb)
        }
    }
    return false;
}

QString NoDisplayMessage(const QString& program)
{
    return program
           + QStringLiteral(": no display found (DISPLAY is not set, or the windowing platform has no screen); run it "
                            "in a desktop session, or over ssh -X from one");
}

bool DisplayUsable()
{
    return DisplayUsable(qEnvironmentVariable("QT_QPA_PLATFORM"), !qEnvironmentVariableIsEmpty("DISPLAY"),
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
}
