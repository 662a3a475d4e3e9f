#pragma once
#include "Startup.h"

class Tmainfrm;

// The client's main window as the start-up sees it.
class MainWindowHost : public StartupHost {
public:
    explicit MainWindowHost(Tmainfrm& window) : m_window(window) {}
    DataModule& dataModule() override;
    QWidget* window() override;
    void setBackgroundPicture(const QPixmap& picture) override;
    void startShutDownTimer() override;
    void startWatchDog() override;
    void initMainWindow() override;

private:
    Tmainfrm& m_window;
};
