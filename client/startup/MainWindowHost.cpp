#include "MainWindowHost.h"
#include "aboutfrm.h"
#include "cmdlinehelpfrm.h"
#include "mainfrm.h"

#include <QTimer>

DataModule& MainWindowHost::dataModule() { return m_window.data; }

QWidget* MainWindowHost::window() { return &m_window; }

void MainWindowHost::setBackgroundPicture(const QPixmap& picture) { m_window.setBackgroundPicture(picture); }

void MainWindowHost::startShutDownTimer() { m_window.ShutDownTimer->start(); }

void MainWindowHost::startWatchDog() { m_window.StartShutdownWatch(); }

void MainWindowHost::initMainWindow()
{
    m_window.SetHelpDialogs([] { CmdLineHelpForm()->showModal(); }, [] { ShowAbout(); });
    m_window.InitMainWindow();
}
