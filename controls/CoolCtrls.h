#pragma once
// The skinned controls: the image collection with its change links, the
// wallpaper choice rule, and the scrolling text line with its timer.
#include "CoolUtils.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QShortcut>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TCoolImages;

// ---------------------------------------------------------------------------
// Image collection and change links
// ---------------------------------------------------------------------------

// How a control hears that the collection it uses changed. Destroying a link
// takes it out of its collection.
class TCoolChangeLink {
public:
    TCoolChangeLink() = default;
    virtual ~TCoolChangeLink();
    TCoolChangeLink(const TCoolChangeLink&) = delete;
    TCoolChangeLink& operator=(const TCoolChangeLink&) = delete;

    TCoolImages* Images() const { return m_images; }
    virtual void Change();

    std::function<void(TCoolImages* sender)> OnChange;

private:
    friend class TCoolImages;
    TCoolImages* m_images = nullptr;
};

class TImages;

// One picture of a collection: the stored picture and the bitmap made from it,
// which is what controls draw.
class TImageItem : public TPersistent {
public:
    explicit TImageItem(TImages* collection);
    TImageItem(const TImageItem&) = delete;
    TImageItem& operator=(const TImageItem&) = delete;

    const CoolBitmap& Bitmap() const { return m_bitmap; }
    const QImage& Picture() const { return m_picture; }
    // Copies the picture in, refreshes Bitmap and tells the collection's links.
    void SetPicture(const QImage& picture);
    bool LoadPicture(const QString& fileName);
    void Assign(const TPersistent& source) override;
    QString ClassName() const override { return QStringLiteral("TImageItem"); }
    TImages* Collection() const { return m_collection; }

private:
    friend class TImages;
    void PictureChanged();
    TImages* m_collection;
    CoolBitmap m_bitmap;
    QImage m_picture;
};

// The ordered pictures of a TCoolImages. Items are looked up by index; an
// index outside 0 .. Count - 1 throws std::out_of_range.
class TImages {
public:
    explicit TImages(TCoolImages* owner);
    ~TImages();
    TImages(const TImages&) = delete;
    TImages& operator=(const TImages&) = delete;

    TCoolImages* Owner() const { return m_owner; }
    int Count() const { return int(m_items.size()); }
    TImageItem* Items(int index) const;
    // A new item with an empty picture; nobody hears of it until its picture
    // is set.
    TImageItem* Add();
    // The links hear of the deletion while the item is still in the collection.
    void Delete(int index);
    void Clear();

private:
    TCoolImages* m_owner;
    std::vector<std::unique_ptr<TImageItem>> m_items;
};

class TCoolImages : public QObject {
    Q_OBJECT
public:
    explicit TCoolImages(QObject* owner = nullptr);
    ~TCoolImages() override;

    TImages& Images() { return *m_images; }
    const TImages& Images() const { return *m_images; }
    // Takes the link out of any collection it is registered with, then adds it
    // here (once).
    void RegisterChanges(TCoolChangeLink* link);
    void UnRegisterChanges(TCoolChangeLink* link);
    int LinkCount() const { return int(m_links.size()); }
    bool IsRegistered(const TCoolChangeLink* link) const;
    // Every registered link's Change, first to last.
    virtual void Change();

    TCCAboutBox About;

private:
    std::vector<TCoolChangeLink*> m_links;
    std::unique_ptr<TImages> m_images;
};

// The wallpaper choice rule: the collection's entry when the index points at
// one with a non-empty bitmap, else the control's own bitmap when it is not
// empty, else none.
const CoolBitmap* ChooseWallpaper(const TCoolImages* images, int index, const CoolBitmap* own);
bool HasWallpaper(const TCoolImages* images, int index, const CoolBitmap* own);

// Keeps a control's reference to its collection and the link registered with
// it; tells the control when the collection goes away.
class CoolImagesRef {
public:
    explicit CoolImagesRef(std::function<void(TCoolImages*)> onChange);
    ~CoolImagesRef();
    TCoolImages* Get() const { return m_images; }
    // The link pattern: unregister from the old collection, store the new one,
    // register with it. onGone runs when the collection is destroyed.
    void Set(TCoolImages* images, QObject* context, std::function<void()> onGone);
    TCoolChangeLink& Link() { return m_link; }

private:
    TCoolChangeLink m_link;
    QPointer<TCoolImages> m_images;
    QMetaObject::Connection m_gone;
};

// ---------------------------------------------------------------------------
// Scrolling text
// ---------------------------------------------------------------------------

// The scrolling text's clock. It runs on the user-interface thread: after
// each tick it waits Interval milliseconds again, so ticks never overlap and
// nothing runs while it is disabled.
class TThreadTimer : public QObject {
    Q_OBJECT
public:
    explicit TThreadTimer(QObject* parent = nullptr);
    ~TThreadTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    std::uint16_t Interval() const { return m_interval; }
    void SetInterval(std::uint16_t interval);
    // True while a tick is due.
    bool Armed() const { return m_timer.isActive(); }
    int PendingInterval() const { return m_timer.interval(); }
    // Runs OnTimer; the timer calls it when the interval has passed.
    virtual void DoTimer();

    std::function<void(TThreadTimer*)> OnTimer;

private:
    void Arm();
    QTimer m_timer;
    bool m_enabled = false;
    std::uint16_t m_interval = 100;
};

enum TScrollDirection : std::uint8_t { sdBottomToTop, sdTopToBottom, sdLeftToRight, sdRightToLeft };

class TCoolScrollingText : public QWidget {
    Q_OBJECT
public:
    explicit TCoolScrollingText(QWidget* parent = nullptr);
    ~TCoolScrollingText() override;

    // Run once the control's properties are set, as a form does after
    // loading: sizes it, puts the text at its entry edge and starts the clock.
    // A control that was never told so runs it when it is first shown, its
    // window laid out by then.
    void Loaded();
    // Renames the control; a text equal to the old name follows the new one.
    void SetName(const QString& name);

    const QStringList& Strings() const { return m_strings; }
    void SetStrings(const QStringList& lines);
    // The lines, each followed by CR LF.
    QString Text() const;

    bool Active() const { return m_active; }
    void SetActive(bool active);
    std::uint32_t Interval() const { return m_interval; }
    void SetInterval(std::uint32_t interval);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment a);
    TScrollDirection ScrollDirection() const { return m_direction; }
    void SetScrollDirection(TScrollDirection d);
    TColor ShadowColor() const { return m_shadowColor; }
    void SetShadowColor(TColor c);
    int ShadowSize() const { return m_shadowSize; }
    void SetShadowSize(std::uint8_t size);
    TShadowPosition ShadowPos() const { return m_shadowPos; }
    void SetShadowPos(TShadowPosition pos);
    bool SimpleView() const { return m_simpleView; }
    void SetSimpleView(bool v);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool v);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);
    bool Stretched() const { return m_stretched; }
    void SetStretched(bool v);
    int idWallpaper() const { return m_idWallpaper; }
    void SetIdWallpaper(int id);
    TCoolImages* CoolImages() const { return m_images.Get(); }
    void SetCoolImages(TCoolImages* images);
    // The own wallpaper, made on first use; changing it repaints.
    CoolBitmap& Wallpaper();
    void SetWallpaper(const CoolBitmap& bitmap);
    const CoolBitmap& Glyph() const { return m_glyph.Glyph(); }
    void SetGlyph(const CoolBitmap& bitmap);
    int NumGlyphs() const { return m_glyph.NumGlyphs(); }
    void SetNumGlyphs(int n);
    QWidget* FocusControl() const { return m_focusControl; }
    void SetFocusControl(QWidget* control);
    TColor Color() const { return m_color; }
    void SetColor(TColor c);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor c);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v);

    // Called when the text has scrolled out; setting the flag parks the text
    // at the top-left corner.
    std::function<void(QObject* sender, bool& initialPosition)> OnTextScrolled;

    int X() const { return m_x; }
    int Y() const { return m_y; }
    // One step of the clock: move by a pixel or wrap.
    void Tick();
    void ResetPosition(bool atOrigin);
    // The text's extent at the current offset, glyph and shadow included.
    QRect TextExtent() const;
    void DrawContent(QPainter& p) const;
    void AdjustBounds();
    // The accelerator: true when the key is the text's accelerator and the
    // focus moved to FocusControl.
    bool DialogChar(QChar key);
    TThreadTimer& Timer() { return *m_timer; }
    // How many repaints the control has asked for.
    int RepaintRequests() const { return m_repaints; }

    TCCAboutBox About;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    virtual void DoDrawText(QPainter& p, QRect& rect, unsigned flags) const;

private:
    void Invalidate();
    void UpdateTimer();
    void UpdateAccelerator();
    void StringsChanged();

    bool m_destroying = false;
    bool m_loaded = false;
    QStringList m_strings;
    bool m_active = false;
    std::uint32_t m_interval = 25;
    TAlignment m_alignment = taLeftJustify;
    TScrollDirection m_direction = sdRightToLeft;
    mutable TGlyph m_glyph;   // builds its state images when first drawn
    TColor m_shadowColor = clBtnHighlight;
    std::uint8_t m_shadowSize = 1;
    TShadowPosition m_shadowPos = spLeftTop;
    bool m_simpleView = false;
    QPointer<QWidget> m_focusControl;
    bool m_showAccelChar = true;
    bool m_stretched = false;
    std::unique_ptr<CoolBitmap> m_wallpaper;
    CoolImagesRef m_images;
    int m_idWallpaper = -1;
    bool m_transparent = false;
    std::unique_ptr<TThreadTimer> m_timer;
    int m_x = 0, m_y = 0;
    TColor m_color = clBtnFace;
    TColor m_fontColor = clWindowText;
    bool m_autoSize = false;
    int m_repaints = 0;
    QShortcut* m_accel = nullptr;
};
