#pragma once
// The skinned cell editor of both skinned grids: the base in-place editor
// with a wallpaper or see-through background, text alignment, optional edge
// lines and flat border, and two rules that keep the Enter key out of the
// text.
#include "CoolCtrls.h"
#include "CoolGridBase.h"

#include <QPen>
#include <functional>
#include <memory>

using TNotifyEvent = std::function<void(QObject* Sender)>;

// The paint-wallpaper and see-through options exclude each other: a new set
// that adds one while the stored set holds the other drops the other. A set
// that brings both at once to a control that had neither keeps both.
TCoolOptions ExclusiveSkinOptions(TCoolOptions stored, TCoolOptions wanted);

enum TEdgeBorder : std::uint8_t { ebLeft, ebTop, ebRight, ebBottom };
class TEdgeBorders {
public:
    constexpr TEdgeBorders() = default;
    constexpr TEdgeBorders(std::initializer_list<TEdgeBorder> members)
    {
        for (auto m : members)
            m_bits = std::uint8_t(m_bits | (1u << m));
    }
    bool Contains(TEdgeBorder e) const { return (m_bits >> e) & 1u; }
    bool Empty() const { return m_bits == 0; }
    bool operator==(const TEdgeBorders&) const = default;

private:
    std::uint8_t m_bits = 0;
};

class TCoolInplaceEdit : public InplaceEdit {
    Q_OBJECT
public:
    explicit TCoolInplaceEdit(CoolGridBase* grid);
    ~TCoolInplaceEdit() override;

    const QPen& BorderPen() const { return m_borderPen; }
    void SetBorderPen(const QPen& pen);
    TColor BordersTrColor() const { return m_bordersTrColor; }
    void SetBordersTrColor(TColor c);
    TCoolImages* CoolImages() const { return m_images.Get(); }
    void SetCoolImages(TCoolImages* images);
    TEdgeBorders EdgeBorders() const { return m_edgeBorders; }
    void SetEdgeBorders(TEdgeBorders e);
    int idWallpaper() const { return m_idWallpaper; }
    void SetIdWallpaper(int id);
    // The own wallpaper, made on first use; a change of it repaints.
    CoolBitmap& Wallpaper();
    void SetWallpaper(const CoolBitmap& bitmap);
    TCoolOptions Options() const { return m_options; }
    void SetOptions(TCoolOptions o);
    TAlignment TextAlign() const { return m_textAlign; }
    void SetTextAlign(TAlignment a);
    int TransparencyLevel() const { return m_transparencyLevel; }
    void SetTransparencyLevel(std::uint8_t level);
    TColor Color() const { return m_color; }
    void SetColor(TColor c);

    bool HasWallpaper() const;
    // See-through, or a wallpaper option with a picture to show.
    bool Skinned() const;
    // How many times a key was refused with a beep.
    int Beeps() const { return m_beeps; }

    // Mouse notifications of the editor.
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    TCCAboutBox About;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyPress(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void change() override;

private:
    void MessageBeep();
    void PaintEdges(QPainter& p) const;
    void ApplyColors();

    TCoolOptions m_options;
    bool m_ctrlEnter = false;
    TAlignment m_textAlign = taLeftJustify;
    std::unique_ptr<CoolBitmap> m_wallpaper;
    std::uint8_t m_transparencyLevel = 0;
    CoolImagesRef m_images;
    int m_idWallpaper = -1;
    TEdgeBorders m_edgeBorders;
    QPen m_borderPen;
    TColor m_bordersTrColor = clNone;
    TColor m_color = clWindow;
    bool m_hot = false;
    int m_beeps = 0;
};
