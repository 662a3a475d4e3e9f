#pragma once
#include <QDialog>
#include <QPixmap>
#include <functional>

// Modal results of the programs' dialogs: the OK-type button gives 1, the
// Cancel-type button (and Escape, which stands for it) gives -1, and closing
// the window by its frame gives neither.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = -1;
inline constexpr int mrClosed = 0;

// The base of every form of the programs: a dialog that may carry the shared
// background picture stretched over its whole client area, and that maps
// Escape and the frame's close button onto the results above.
// A form's own show and hide handling (its showEvent: centring, FormShow;
// its hideEvent: letting go of what it follows) sees only the showings and
// hidings the program asks for; a show or hide the window system sends by
// itself (a minimize and the restore after it) leaves what the form shows
// and follows as it is, typed text included.
class TFormBase : public QDialog {
    Q_OBJECT
public:
    explicit TFormBase(QWidget* parent = nullptr);

    // The shared background picture "bg" (none until the start-up loads it).
    QPixmap bg;
    void setBackgroundPicture(const QPixmap& picture);

    // What Escape answers: the result of the form's cancel button; a form
    // whose cancel button is also its OK button answers 1.
    void setEscapeResult(int result) { m_escapeResult = result; }
    int escapeResult() const { return m_escapeResult; }

    // A window that only the program takes away (the progress window, the
    // splash): Escape and the frame's close do nothing to it.
    void setProgramClosedOnly(bool on) { m_programClosedOnly = on; }

    // Every modal showing of a form goes through here (see ModalSeam).
    int showModal();

    void reject() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int m_escapeResult = mrCancel;
    bool m_programClosedOnly = false;
};

// The one instance of a form, made on first use and kept until the program
// ends (forms are created once and reused).
template <class Form>
Form* SharedForm()
{
    static Form* form = new Form;
    return form;
}

// Places a window in the middle of the screen's available area, or of
// another window.
void CentreOnScreen(QWidget* w);
void CentreOver(QWidget* w, const QWidget* over);

// Modal showings without a modal loop, for tests and headless runs. A
// runner receives the dialog instead of its modal loop (it may fill
// fields, click buttons, or just decide) and answers the modal result;
// the dialog is visible while the runner runs and hidden after.
namespace ModalSeam {
using Runner = std::function<int(QDialog& dialog)>;

// Every modal showing goes to the runner (empty: the real modal loop).
void setRunner(Runner runner);
// The next modal showing goes to this runner, before any set one; several
// queue in order.
void push(Runner runner);
// Shortcut: the next modal showing answers this result unseen.
void pushResult(int result);
void reset();
bool active();

// Runs a dialog modally through the seam. With no runner on a platform
// that has no screen, a modal loop could never end: that is an error.
int exec(QDialog& dialog);
} // namespace ModalSeam
