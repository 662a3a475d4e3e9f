#pragma once
#include "Dataset.h"
#include "Forms.h"

#include <QString>

class QLabel;
class QPushButton;
class QTimer;
class TDBCoolGrid;

namespace UsersOnlineMessages {
inline const QString Caption = QStringLiteral("Users Online");
inline const QString Header = QStringLiteral("User               Computer");
inline const QString ForceNotice = QStringLiteral(
    "Please wait upto a minute before all users are offline. This will be reflected in this screen. ");
inline const QString ReasonPrompt = QStringLiteral("What is the reason for the forced shutdown?");
inline const QString DefaultReason = QStringLiteral("General Maintenance");
inline const QString ShutdownMode = QStringLiteral(
    "You have entered SHUTDOWN MODE. Nobody be able to log backon until you run PLAXON /ENABLELOGIN");
} // namespace UsersOnlineMessages

// Who is online, and on which computer, re-read every five seconds while
// the window is open; for those allowed, the button that orders every other
// client off.
class Tusersonlinefrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tusersonlinefrm(QWidget* parent = nullptr);

    QLabel* Label1;
    TDBCoolGrid* userslist;   // read-only: user name and computer
    QLabel* forcemsg;
    QPushButton* Button1;     // "Force Users Offline"
    QPushButton* Button2;     // "Close"
    QTimer* Timer1;           // 5000 ms, running only while the window is open

    // The users whose online flag is set, on the shared connection.
    Dataset OnlineUsersQry;
    DataSource OnlineUsersSource;

    // List heights without and with the force button and its notice.
    static constexpr int ListHeight = 204;
    static constexpr int ListHeightWithForce = 144;

    void Timer1Timer();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

Tusersonlinefrm* UsersOnlineForm();

// Shows who is online. With allowForce the window offers "Force Users
// Offline": chosen, it asks for a reason and orders every other client to
// shut down in the logged-on user's name.
void ShowUsersOnline(bool allowForce);
