#pragma once
// Helpers for looking at what a grid shows.
#include "CoolGridBase.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

namespace gridtest {

inline QImage grab(CoolGridBase& g)
{
    return g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Gives a widget the keyboard focus in its (offscreen) window.
inline void focus(QWidget& w)
{
    QWidget* win = w.window();
    win->show();
    QApplication::setActiveWindow(win);
    win->activateWindow();
    w.setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

// The bounding box of the pixels of a cell that differ from the colour at
// the cell's top-left corner plus one pixel (its background).
inline QRect inkBox(const QImage& img, const QRect& cell)
{
    const QRgb back = img.pixel(cell.left() + 1, cell.top() + 1);
    QRect box;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb px = img.pixel(x, y);
            const int d = std::abs(qRed(px) - qRed(back)) + std::abs(qGreen(px) - qGreen(back))
                + std::abs(qBlue(px) - qBlue(back));
            if (d > 150)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// Separate horizontal bands of ink (lines of text) in a cell.
inline int inkBands(const QImage& img, const QRect& cell)
{
    const QRgb back = img.pixel(cell.left() + 1, cell.top() + 1);
    int bands = 0;
    bool inBand = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        bool ink = false;
        for (int x = cell.left(); x <= cell.right() && !ink; ++x) {
            const QRgb px = img.pixel(x, y);
            ink = std::abs(qRed(px) - qRed(back)) + std::abs(qGreen(px) - qGreen(back))
                    + std::abs(qBlue(px) - qBlue(back))
                > 150;
        }
        if (ink && !inBand)
            ++bands;
        inBand = ink;
    }
    return bands;
}

} // namespace gridtest
