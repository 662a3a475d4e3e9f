#pragma once
// Drawing vocabulary of the skinned control library: colours in the stored
// blue-green-red form, text drawing with the classic format flags, wallpapers,
// bevels, shadowed text, bitmaps with a transparent colour, see-through
// painting, and the glyph with its process-wide cache of image lists.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;
class QWidget;
class QObject;

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

// A colour as the system stores it: 0x00BBGGRR for a plain colour, 0xFF000000
// plus an index for a system colour, and the two special values below.
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = 0xFF000000;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

// True for 0xFF000000 + index.
bool IsSystemColor(TColor c);
// The colour as Qt draws it. System colours come from the palette (the
// application's when none is given); clNone and clDefault give an invalid
// QColor, which callers treat as "draw nothing".
QColor ColorToQColor(TColor c, const QPalette& palette);
QColor ColorToQColor(TColor c);
// The stored form of a plain colour (alpha ignored).
TColor QColorToColor(const QColor& c);
TColor RGBToColor(QRgb rgb);
// A plain colour's RGB value; a system colour resolved through the palette.
QRgb ColorToRGB(TColor c, const QPalette& palette);
QRgb ColorToRGB(TColor c);

// A font as the controls keep it: the face, size and style, and the colour
// its text is drawn in. Window text (the default) is the palette's colour of
// text on the control's own background.
class TFont : public QFont {
public:
    TFont() = default;
    TFont(const QFont& font, TColor color = clWindowText) : QFont(font), Color(color) {}
    TColor Color = clWindowText;
};
// The colour a font's text is drawn in over a control with that palette.
QColor FontTextColor(const TFont& font, const QPalette& palette);

// A font's size as stored: a positive size is in points, a negative height in
// pixels.
void SetFontSize(QFont& font, int size);
void SetFontHeight(QFont& font, int height);

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

// The classic text format flags.
enum : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_RTLREADING = 0x20000,
};

// Lone carriage returns and CR LF pairs become line feeds, the one line break
// Qt knows.
QString NormalizeLineBreaks(const QString& text);
// The Qt flags for the classic format flags. Without DT_NOPREFIX an "&"
// underlines the next character, as the classic routine does.
int DrawTextFlagsToQt(unsigned format);
// Draws text in the painter's font and pen with the classic format flags; with
// DT_CALCRECT nothing is drawn and rect becomes the text's extent (left and
// top kept). Returns the height of the text.
int CoolDrawText(QPainter& p, QRect& rect, const QString& text, unsigned format);
// The extent of the text in the given font, as CoolDrawText with DT_CALCRECT.
QRect CoolCalcRect(const QFont& font, const QRect& rect, const QString& text, unsigned format);

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
// How a control sits in its parent; only the size rule of self-sizing
// controls reads it.
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TShadowPosition : std::uint8_t { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// Text with a shadow Size pixels away. The caller's rectangle moves for
// spLeftTop, spLeftBottom and spRightTop (the text sits there), not for
// spRightBottom; with DT_CALCRECT it ends up as the text's extent.
void DrawShadowText(QPainter& p, QRect& rect, TShadowPosition position, const QString& text,
                    unsigned format, TColor textColor, TColor shadowColor, int size,
                    const QPalette& palette);
void DrawShadowText(QPainter& p, QRect& rect, TShadowPosition position, const QString& text,
                    unsigned format, TColor textColor, TColor shadowColor, int size);
// The library's disabled look: shadow one pixel down-right in clBtnHighlight,
// text in clBtnShadow.
void DrawDisabledText(QPainter& p, QRect& rect, const QString& text, unsigned format,
                      const QPalette& palette);

// ---------------------------------------------------------------------------
// Bitmaps, wallpapers, bevels
// ---------------------------------------------------------------------------

// The common base of things that can take over each other's content. Assign
// from an unrelated kind fails as the stored forms expect.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual void Assign(const TPersistent& source);
    virtual QString ClassName() const = 0;
};

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TTransparentMode : std::uint8_t { tmAuto, tmFixed };

// A picture with a transparent colour and a change notification. With tmAuto
// the transparent colour is the bottom-left pixel's colour.
class CoolBitmap : public TPersistent {
public:
    CoolBitmap() = default;
    explicit CoolBitmap(const QImage& image);

    bool Empty() const { return m_image.width() <= 0 || m_image.height() <= 0; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    const QImage& Image() const { return m_image; }

    void SetImage(const QImage& image);
    void SetSize(int width, int height);
    bool LoadFromFile(const QString& fileName);
    void Clear();
    void Assign(const TPersistent& source) override;
    QString ClassName() const override { return QStringLiteral("CoolBitmap"); }

    TColor TransparentColor() const;
    void SetTransparentColor(TColor c);   // switches to tmFixed
    TTransparentMode TransparentMode() const { return m_mode; }
    void SetTransparentMode(TTransparentMode mode);

    std::function<void(CoolBitmap*)> OnChange;

private:
    void Changed();
    QImage m_image;
    TColor m_transparent = clDefault;
    TTransparentMode m_mode = tmAuto;
};

// A copy of the image whose pixels of the given colour are fully transparent.
QImage MaskedImage(const QImage& image, QRgb transparent);

// The two raster operations the library draws wallpapers with.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;

// The wallpaper over rect, tiled from rect's top-left corner or stretched.
// NOTSRCCOPY draws the inverted colours. An empty picture or rectangle draws
// nothing.
void DrawWallpaper(QPainter& p, const QImage& bitmap, const QRect& rect, bool stretch,
                   std::uint32_t rop = SRCCOPY);
// The wallpaper anchored on rect and drawn only inside clipRect, so that
// cells painted one by one form one picture. clipRect == rect leaves the
// painter's clipping untouched.
void DrawWallpaperClipped(QPainter& p, const QImage& bitmap, const QRect& rect,
                          const QRect& clipRect, bool stretch, std::uint32_t rop = SRCCOPY);
// Copies srcRect of the source onto dstRect (scaled when the sizes differ),
// leaving out the pixels of the transparent colour.
void DrawTransparentBitmap(QPainter& dst, const QImage& src, const QRect& dstRect,
                           const QRect& srcRect, TColor transparentColor);

// Edge bits and flags of the bevel routine.
enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = 0xF,
    BF_ADJUST = 0x2000,
};
enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

// A two-line 3D edge in the palette's light and shadow colours. With
// BF_ADJUST rect shrinks by the width of the edges drawn.
void DrawEdge(QPainter& p, QRect& rect, unsigned edge, unsigned flags, const QPalette& palette);
// The edge bits of an inner and an outer bevel.
unsigned BevelEdge(TBevelCut inner, TBevelCut outer);
// A one-pixel frame and a dotted focus rectangle.
void FrameRect(QPainter& p, const QRect& rect, const QColor& color);
void DrawFocusRect(QPainter& p, const QRect& rect);

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

// Follows the parent link up to levels times; 0 gives the control itself.
QWidget* ClimbParents(QWidget* control, int levels);
// Paints what control's parent shows at control's place (its background and
// its own painting, not its child widgets), shifted to control's origin.
// Nothing without a control or without a parent.
void PaintParentBackground(QWidget* control, QPainter& p, bool useParent = true);
void PaintParentBackgroundClipped(QWidget* control, QPainter& p, const QRect& rect,
                                  bool useParent = true);
// True when "Cool" occurs in the object's class name (letter case counts).
bool IsCoolControl(const QObject* object);
bool IsCoolClassName(const QString& className);
// The flat border around a control (painter in the control's own
// coordinates). Scroll areas get their corner strips and no window-colour
// frame.
void DrawFlatBorder(QPainter& p, QWidget* control, bool hot);

// Rectangles given by their edges, the right and bottom edges exclusive.
inline QRect RectLTRB(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}
inline int RightOf(const QRect& r) { return r.x() + r.width(); }
inline int BottomOf(const QRect& r) { return r.y() + r.height(); }

void AdjustRectSides(QRect& rect, int dLeft, int dTop, int dRight, int dBottom);
bool InvalidateArea(QWidget* window, const QRect& rect, bool erase);
// Stores a value in a property's field; false when it was already there
// (setters repaint only on a change).
template <typename T>
bool StoreChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

inline int LargerOf(int a, int b) { return a > b ? a : b; }
// A control shown in a form designer rather than at run time; marked by the
// "coolDesigning" property.
bool IsDesigning(const QObject* component);
void SetDesigning(QObject* component, bool designing);

// ---------------------------------------------------------------------------
// Options
// ---------------------------------------------------------------------------

enum TCoolOption : std::uint8_t {
    ocPaintWallpaper,
    ocStretchWallpaper,
    ocPaintSelWallpaper,
    ocPaintCaptionWallpaper,
    ocInvertWallpaperAsSelect,
    ocPaintGradiently,
    ocBevelOnlyIfSel,
    ocUseImageList,
    ocUseGlyphAssign,
    oc3dMDIForm,
    ocWallpaperForMDIChildren,
    ocGradientForMDIChildren,
    ocNoCaption,
    ocSmallCaption,
    ocNoMDIChildrensCaptions,
    ocDragUsingClientArea,
    ocNoDragUsingCaption,
    ocRoundedForm,
    ocFlatBorder,
    ocPaintFormSemiTransparently,
    ocPaintTransparently,
};
constexpr int CoolOptionCount = 21;

// A set of options; member n is bit n of the value.
class TCoolOptions {
public:
    constexpr TCoolOptions() = default;
    constexpr TCoolOptions(std::initializer_list<TCoolOption> members)
    {
        for (auto m : members)
            m_bits |= 1u << m;
    }
    static TCoolOptions FromValue(std::uint32_t value);
    // The stored form: the members' names, in order.
    static TCoolOptions FromNames(const QStringList& names, bool* ok = nullptr);

    std::uint32_t Value() const { return m_bits; }
    bool Contains(TCoolOption o) const { return (m_bits >> o) & 1u; }
    TCoolOptions& Include(TCoolOption o);
    TCoolOptions& Exclude(TCoolOption o);
    TCoolOptions Without(TCoolOption o) const;
    QStringList Names() const;
    bool operator==(const TCoolOptions&) const = default;

private:
    std::uint32_t m_bits = 0;
};
QString CoolOptionName(TCoolOption o);

// The "About" property of every skinned control: it holds nothing.
class TCCAboutBox {};

// ---------------------------------------------------------------------------
// Glyphs
// ---------------------------------------------------------------------------

// The state images of every glyph of one size, with reusable slots.
class TGlyphList {
public:
    TGlyphList(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Puts the image, masked by the colour (clDefault: the bitmap's own
    // transparent colour), into the lowest free slot and returns it.
    int AddMasked(const CoolBitmap& image, TColor maskColor);
    void Delete(int slot);
    int Count() const { return m_count; }
    bool InUse(int slot) const;
    int Capacity() const { return int(m_images.size()); }
    const QImage& ImageAt(int slot) const { return m_images.at(std::size_t(slot)); }

private:
    int m_width, m_height;
    std::vector<QImage> m_images;
    std::vector<bool> m_used;
    int m_count = 0;
};

// One list per image size, shared by every glyph of that size. A list stays
// alive while a glyph holds it, even after the cache has given it up.
class TGlyphCache {
public:
    std::shared_ptr<TGlyphList> GetList(int width, int height);
    void ReturnList(const std::shared_ptr<TGlyphList>& list);
    bool Empty() const { return m_lists.empty(); }
    int ListCount() const { return int(m_lists.size()); }

private:
    std::vector<std::shared_ptr<TGlyphList>> m_lists;
};

// The process's cache; none when no glyph needs one.
TGlyphCache* GlyphCache();

// One to four side-by-side images of equal width and their enabled (1) and
// disabled (0) state images, built on demand.
class TGlyph {
public:
    TGlyph();
    ~TGlyph();
    TGlyph(const TGlyph&) = delete;
    TGlyph& operator=(const TGlyph&) = delete;

    const CoolBitmap& Glyph() const { return m_bitmap; }
    void SetGlyph(const CoolBitmap* bitmap);
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int n);
    TColor TransparentColor() const { return m_transparent; }
    // The slot of the state's image in the glyph's list; -1 when there is
    // nothing to draw.
    int CreateStateImage(int state);
    int Index(int state) const { return m_indexes[state & 1]; }
    const std::shared_ptr<TGlyphList>& GlyphList() const { return m_list; }
    void Draw(QPainter& p, QPoint position, int state, bool transparent, TColor color);
    int ImageWidth() const { return m_numGlyphs > 0 ? m_bitmap.Width() / m_numGlyphs : 0; }

    std::function<void(TGlyph*)> OnChange;

private:
    void BitmapChanged();
    void Invalidate();
    CoolBitmap m_bitmap;
    std::shared_ptr<TGlyphList> m_list;
    int m_indexes[2] = {-1, -1};
    TColor m_transparent = clOlive;
    int m_numGlyphs = 1;
};
