#pragma once
#include "Forms.h"
#include "ImportRun.h"

#include <QElapsedTimer>
#include <QStringList>
#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;
class TBrowseIt;
class TRadioGroup;

// The import wizard: seven steps that carry a version 4.x installation into
// a 5.0 database, the clients locked out through the control row while it
// writes. Steps: 1 welcome, 2 the 5.0 folder, 3 the ADMIN password, 4 the
// 4.x folder, 5 the options, 6 the period alignment, 7 the run.
class TSelbrinFrm : public TFormBase {
    Q_OBJECT
public:
    explicit TSelbrinFrm(QWidget* parent = nullptr);
    ~TSelbrinFrm() override;

    std::array<QGroupBox*, 7> parts{};   // part1 .. part7
    // Step 2
    QLineEdit* db50path;
    QPushButton* Button4;
    // Step 3
    QLineEdit* pass;
    // Step 4
    QLineEdit* db40path;
    QPushButton* Button5;
    // Step 5
    TRadioGroup* userprecedence;
    TRadioGroup* bookingprecedence;
    TRadioGroup* invprecedence;
    // Step 6: ImportBS .. ImportAS in the 4.x codes' order
    std::array<QCheckBox*, 12> importBoxes{};
    QListWidget* ImportPeriodList;
    QPushButton* Button1;   // "Move Period Up"
    QPushButton* Button2;   // "Move Period Down"
    // Step 7
    QPlainTextEdit* status;
    QProgressBar* progress;
    // The button box
    QGroupBox* BtnGrpBox;
    QPushButton* CloseBtn;
    QLabel* timeleft;
    QPushButton* BackBtn;
    QPushButton* NextBtn;
    TBrowseIt* browse50;
    TBrowseIt* browse40;
    QTimer* Timer1;

    // The window that closes with the wizard (the backdrop), if any.
    QWidget* backdrop = nullptr;

    int step = 1;
    int tickCounter = 0;

    // Handlers.
    void FormShow();
    void NextBtnClick();
    void BackBtnClick();
    void CloseBtnClick();
    void Button4Click();
    void Button5Click();
    void Button1Click();
    void Button2Click();
    void Timer1Timer();

    void ShowStep();
    void RunImport();
    bool IsPeriodImported(const QString& code) const;
    QString MapPeriod(const QString& code) const;

    // The time-left text for a tick count at a position of the run.
    static QString TimeLeftText(int counter, int position, int maximum);

    // The run's position (it may pass the bar's maximum).
    int position() const { return m_position; }
    bool running() const { return m_running; }
    // Records refused during the run.
    int refusals() const { return m_refusals; }

    // Test seams: the two 5-second waits of the lock-out (run in place of
    // each, once the window has repainted), and a hook run after each
    // stored record's work (its error stops the run).
    std::function<void(int seconds)> sleeper;
    std::function<void(const QString& file, int record)> afterRecord;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void flushLog();
    void lockOutWait(int seconds);
    ImportChoices choices() const;
    bool checksPass();
    void failCheck(const QString& message, int backTo);
    QString legacyFolder() const;
    // The 5.0 database that the folder entry names; empty for an empty
    // entry, which names no folder (not the working one).
    QString fiftyDatabase() const;
    void enterPeriodStep();

    int m_position = 1;
    int m_refusals = 0;
    bool m_running = false;
    bool m_closeRequested = false;
    QStringList m_pendingLog;   // lines not yet in the window
    QElapsedTimer m_logFlushed;
};
