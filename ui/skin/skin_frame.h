#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace lanzhou::skin {

// A colour as the configuration stores it: a decimal 0x00BBGGRR integer.
QColor fromColorRef(std::int32_t value);
std::int32_t toColorRef(const QColor& colour);

// What Attach is given besides the window; every field may be left out.
struct AttachOptions {
    std::optional<int> bannerHeight;     // 80 when left out; raised to 26 when lower
    std::optional<int> statusHeight;     // 26 when left out; 0: no status bar
    std::optional<bool> minimizeButton;  // left out: the window's own minimize hint
    std::optional<bool> maximizeButton;  // left out: the window's own maximize hint
    bool helpButton = false;
    bool mainMenuButton = false;
    bool sizeBox = false;  // resizable by its border
    int minimumWidth = 0;  // smallest size the window may be dragged to
    int minimumHeight = 0;
};

// The frame of every small window (dialogs, prompts, the popup): banner 24
// (raised to the smallest, 26), no status bar, only the close button.
inline AttachOptions dialogAttachOptions() {
    AttachOptions options;
    options.bannerHeight = 24;
    options.statusHeight = 0;
    options.minimizeButton = false;
    options.maximizeButton = false;
    return options;
}

// Caption buttons by their ids.
enum class CaptionButton {
    Close = 1,
    Restore = 2,
    Maximize = 3,
    Minimize = 4,
    MainMenu = 5,
    Help = 7
};

// The frame the client draws itself around each of its top-level windows:
// a banner with the window's icon, title and caption buttons, optionally a
// strip of large tabs, a status bar with a status text, a thin border and
// rounded corners, in one colour or a picture shared by every window. It
// moves, sizes, maximizes, minimizes and closes the window, and draws the
// push buttons, check boxes, radio buttons and edits inside it in its look.
//
// One SkinFrame exists per process; windows get it through their
// constructors. The frame keeps each attached window's state itself and
// mirrors it in dynamic properties of the window (Vuziz_BannerHeight,
// Vuziz_StatusHeight, Vuziz_MaximizeBox, Vuziz_bSizeBox, Vuziz_MinWidth,
// Vuziz_MinHeight, Vuziz_DUIIndex, Vuziz_Maximize, Vuziz_bMinimize,
// Vuziz_hWndChild, ...; ZaderEdav_WndProc marks an attached window or
// restyled control), so that tests and tools can inspect it; setting them
// changes nothing.
// Restyled child controls carry Vuziz_WindowType, Vuziz_bCheck and
// Vuziz_DrawState. GUI thread only.
class SkinFrame final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkinFrame)

public:
    explicit SkinFrame(QObject* parent = nullptr);
    ~SkinFrame() override;

    // ---- the look, shared by every attached window (each redraws at once)
    // Loads the picture; on success the frame colour becomes its average.
    bool SetPicture(const QString& path);
    bool setPictureBytes(const QByteArray& bytes);
    // Drops any picture; the frame colour becomes `colour`.
    void SetColour(const QColor& colour);
    // Colour behind restyled child controls; an invalid colour stands for the
    // system's button face colour.
    void SetBaseColour(const QColor& colour);

    QColor colour() const;  // the frame colour (a picture's average when one is set)
    bool hasPicture() const;
    QColor baseColour() const;  // resolved (never invalid)
    static QColor averageColour(const QImage& image);

    // ---- windows
    // Frames the window (frameless, drawn by the frame). Attaching again
    // updates the options and keeps one frame.
    void Attach(QWidget* window, const AttachOptions& options = {});
    bool isAttached(const QWidget* window) const;
    // Attached windows in attach order (Vuziz_DUIIndex counts from 1).
    QList<QWidget*> windows() const;

    // Restyles the child controls of every attached window, and of every
    // window attached afterwards.
    void RestyleChildren();

    void SetStatusText(QWidget* window, const QString& text);
    QString statusText(const QWidget* window) const;

    // Adds a tab (icon from image bytes, may be empty) showing `page`, which
    // becomes a hidden child of the window fitted between banner and status
    // bar. Raises the banner to 80.
    void AddTab(QWidget* window, const QByteArray& iconBytes, const QString& title, QWidget* page);
    // Selects the first tab whose title equals `title`; no such tab: no change.
    void SelectTab(QWidget* window, const QString& title);
    QString selectedTab(const QWidget* window) const;  // empty: none
    QStringList tabTitles(const QWidget* window) const;

    // Handlers of the main-menu and help caption buttons.
    void OnHelpClick(QWidget* window, std::function<void()> handler);
    void OnMainMenuClick(QWidget* window, std::function<void()> handler);

    // Where a caption button is drawn (window coordinates), when visible.
    std::optional<QRect> captionButtonRect(const QWidget* window, CaptionButton button) const;
    // Where a tab is drawn, when the window has it.
    std::optional<QRect> tabRect(const QWidget* window, const QString& title) const;
    // The area pages and content may use: inside the border, between banner
    // and status bar.
    QRect contentRect(const QWidget* window) const;

signals:
    // The colour, picture or base colour changed (windows that draw parts of
    // their own in the frame's colours repaint).
    void lookChanged();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::skin
