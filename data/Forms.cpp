#include "Forms.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <deque>
#include <stdexcept>

TFormBase::TFormBase(QWidget* parent) : QDialog(parent) {}

void TFormBase::setBackgroundPicture(const QPixmap& picture)
{
    bg = picture;
    update();
}

int TFormBase::showModal() { return ModalSeam::exec(*this); }

void TFormBase::reject()
{
    // Qt rejects on the frame's close button; that is neither OK nor Cancel.
    if (!m_programClosedOnly)
        done(mrClosed);
}

bool TFormBase::event(QEvent* event)
{
    // The window system's own shows and hides (a restore, a minimize, the
    // desktop switched away and back) pass the forms' handlers by.
    if (event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            QDialog::showEvent(static_cast<QShowEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::Hide) {
            QDialog::hideEvent(static_cast<QHideEvent*>(event));
            return true;
        }
    }
    return QDialog::event(event);
}

void TFormBase::paintEvent(QPaintEvent* event)
{
    if (!bg.isNull()) {
        QPainter p(this);
        p.drawPixmap(rect(), bg);
    }
    QDialog::paintEvent(event);
}

void TFormBase::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!m_programClosedOnly)
            done(m_escapeResult);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormBase::closeEvent(QCloseEvent* event)
{
    if (m_programClosedOnly) {
        event->ignore();
        return;
    }
    if (isVisible())
        done(mrClosed);
    event->accept();
}

namespace {
// Puts a window centred on a point, then shifts it as little as needed to keep
// it wholly on the area; one taller or wider than the area keeps its top-left
// corner on it, so its caption and buttons can still be reached.
void placeCentred(QWidget* w, QPoint centre, const QRect& area)
{
    // Once shown, the window's frame (caption and border) counts too.
    const QSize outer = w->frameGeometry().size().expandedTo(w->size());
    QPoint topLeft = centre - QPoint(outer.width() / 2, outer.height() / 2);
    topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - outer.width())));
    topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - outer.height())));
    w->move(topLeft);
}
} // namespace

void CentreOnScreen(QWidget* w)
{
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    placeCentred(w, area.center(), area);
}

void CentreOver(QWidget* w, const QWidget* over)
{
    if (!over || !over->isVisible()) {
        CentreOnScreen(w);
        return;
    }
    const QRect g = over->frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(g.center());
    if (!screen)
        screen = over->screen() ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        w->move(g.center() - QPoint(w->width() / 2, w->height() / 2));
        return;
    }
    placeCentred(w, g.center(), screen->availableGeometry());
}

namespace {
ModalSeam::Runner& setRunnerRef()
{
    static ModalSeam::Runner r;
    return r;
}
std::deque<ModalSeam::Runner>& queue()
{
    static std::deque<ModalSeam::Runner> q;
    return q;
}
} // namespace

namespace ModalSeam {

void setRunner(Runner runner) { setRunnerRef() = std::move(runner); }
void push(Runner runner) { queue().push_back(std::move(runner)); }
void pushResult(int result)
{
    push([result](QDialog&) { return result; });
}
void reset()
{
    setRunnerRef() = nullptr;
    queue().clear();
}
bool active() { return !queue().empty() || static_cast<bool>(setRunnerRef()); }

int exec(QDialog& dialog)
{
    Runner runner;
    if (!queue().empty()) {
        runner = std::move(queue().front());
        queue().pop_front();
    } else {
        runner = setRunnerRef();
    }
    if (!runner) {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            throw std::logic_error("a modal dialog was shown with no screen and no answer for it: "
                                   + dialog.objectName().toStdString());
        return dialog.exec();
    }
    dialog.setResult(mrClosed);
    dialog.show();
    int result = runner(dialog);
    // A runner that clicked a closing button has the dialog's own result.
    if (!dialog.isVisible())
        result = dialog.result();
    dialog.hide();
    return result;
}

} // namespace ModalSeam
