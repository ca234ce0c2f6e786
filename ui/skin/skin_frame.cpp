#include "ui/skin/skin_frame.h"

#include "ui/skin/control_skinner.h"
#include "ui/skin/control_style.h"
#include "ui/skin/frame_look.h"
#include "ui/skin/framed_window.h"
#include "ui/skin/image_loading.h"
#include "ui/skin/skin_log.h"

#include <QPointer>
#include <QWidget>

namespace lanzhou::skin {

QColor fromColorRef(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(int(bits & 0xFFu), int((bits >> 8) & 0xFFu), int((bits >> 16) & 0xFFu));
}

std::int32_t toColorRef(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return std::int32_t(std::uint32_t(rgb.red()) | (std::uint32_t(rgb.green()) << 8) |
                        (std::uint32_t(rgb.blue()) << 16));
}

class SkinFrame::Impl {
public:
    explicit Impl(SkinFrame* owner) : m_owner(owner) {}

    FramedWindow* find(const QWidget* window) const {
        for (FramedWindow* framed : m_windows) {
            if (window && framed->window() == window) {
                return framed;
            }
        }
        return nullptr;
    }

    void attach(QWidget* window, const AttachOptions& options) {
        FramedWindow* framed = find(window);
        if (!framed) {
            framed = new FramedWindow(window, m_look, m_owner);
            m_windows.append(framed);
            framed->setIndex(int(m_windows.size()));
            QObject::connect(window, &QObject::destroyed, m_owner,
                             [this, framed] { forget(framed); });
        }
        framed->applyOptions(options);
        if (m_restyle) {
            restyle(window);
        }
    }

    void forget(FramedWindow* framed) {
        m_windows.removeOne(framed);
        framed->deleteLater();  // its event filter may be on the stack
        for (qsizetype i = 0; i < m_windows.size(); ++i) {
            m_windows[i]->setIndex(int(i + 1));
        }
    }

    void restyle(QWidget* root) {
        if (!m_style) {
            m_style = std::make_unique<ControlStyle>(m_look);
            m_skinner = new ControlSkinner(m_style.get(), m_owner);
        }
        m_skinner->restyle(root);
    }

    bool applyPicture(std::optional<QImage> picture) {
        if (!picture) {
            return false;
        }
        m_look.colour = meanColour(*picture);
        // Frames are window-sized: a smaller copy keeps redrawing quick.
        constexpr int kLargest = 2048;
        if (picture->width() > kLargest || picture->height() > kLargest) {
            *picture =
                picture->scaled(kLargest, kLargest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        m_look.picture = std::move(*picture);
        changed();
        return true;
    }

    void changed() {
        ++m_look.generation;
        for (FramedWindow* framed : m_windows) {
            framed->redraw();
        }
        emit m_owner->lookChanged();
    }

    SkinFrame* m_owner;
    FrameLook m_look;
    QList<FramedWindow*> m_windows;  // attach order; children of the owner
    bool m_restyle = false;
    std::unique_ptr<ControlStyle> m_style;  // made on first use: needs the application
    ControlSkinner* m_skinner = nullptr;
};

SkinFrame::SkinFrame(QObject* parent) : QObject(parent), m_impl(std::make_unique<Impl>(this)) {}

SkinFrame::~SkinFrame() {
    // The frames go first: they reach into the look kept by the Impl.
    for (FramedWindow* framed : m_impl->m_windows) {
        delete framed;
    }
    m_impl->m_windows.clear();
    // The restyled controls give the shared style back before it goes.
    delete m_impl->m_skinner;
    m_impl->m_skinner = nullptr;
}

bool SkinFrame::SetPicture(const QString& path) {
    if (m_impl->applyPicture(readPictureFile(path))) {
        return true;
    }
    qCDebug(skinLog) << "picture not used:" << path;
    return false;
}

bool SkinFrame::setPictureBytes(const QByteArray& bytes) {
    if (m_impl->applyPicture(readPicture(bytes))) {
        return true;
    }
    qCDebug(skinLog) << "picture not used:" << bytes.size() << "bytes";
    return false;
}

void SkinFrame::SetColour(const QColor& colour) {
    m_impl->m_look.picture = QImage();
    m_impl->m_look.colour = colour.toRgb();
    m_impl->changed();
}

void SkinFrame::SetBaseColour(const QColor& colour) {
    m_impl->m_look.baseColour = colour.isValid() ? colour.toRgb() : QColor();
    m_impl->changed();
}

QColor SkinFrame::colour() const {
    return m_impl->m_look.colour;
}
bool SkinFrame::hasPicture() const {
    return !m_impl->m_look.picture.isNull();
}
QColor SkinFrame::baseColour() const {
    return resolvedBaseColour(m_impl->m_look);
}
QColor SkinFrame::averageColour(const QImage& image) {
    return meanColour(image);
}

void SkinFrame::Attach(QWidget* window, const AttachOptions& options) {
    if (window) {
        m_impl->attach(window, options);
    }
}

bool SkinFrame::isAttached(const QWidget* window) const {
    return m_impl->find(window) != nullptr;
}

QList<QWidget*> SkinFrame::windows() const {
    QList<QWidget*> result;
    for (FramedWindow* framed : m_impl->m_windows) {
        if (QWidget* window = framed->window()) {
            result.append(window);
        }
    }
    return result;
}

void SkinFrame::RestyleChildren() {
    m_impl->m_restyle = true;
    for (FramedWindow* framed : m_impl->m_windows) {
        m_impl->restyle(framed->window());
    }
}

void SkinFrame::SetStatusText(QWidget* window, const QString& text) {
    if (FramedWindow* framed = m_impl->find(window)) {
        framed->setStatusText(text);
    }
}

QString SkinFrame::statusText(const QWidget* window) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->statusText() : QString();
}

void SkinFrame::AddTab(QWidget* window, const QByteArray& iconBytes, const QString& title,
                       QWidget* page) {
    FramedWindow* framed = m_impl->find(window);
    if (!framed) {
        return;
    }
    framed->addTab(readTabIcon(iconBytes), title, page);
    if (page && m_impl->m_restyle) {
        m_impl->restyle(page);
    }
}

void SkinFrame::SelectTab(QWidget* window, const QString& title) {
    if (FramedWindow* framed = m_impl->find(window)) {
        framed->selectTab(title);
    }
}

QString SkinFrame::selectedTab(const QWidget* window) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->selectedTab() : QString();
}

QStringList SkinFrame::tabTitles(const QWidget* window) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->tabTitles() : QStringList();
}

void SkinFrame::OnHelpClick(QWidget* window, std::function<void()> handler) {
    if (FramedWindow* framed = m_impl->find(window)) {
        framed->setHelpHandler(std::move(handler));
    }
}

void SkinFrame::OnMainMenuClick(QWidget* window, std::function<void()> handler) {
    if (FramedWindow* framed = m_impl->find(window)) {
        framed->setMainMenuHandler(std::move(handler));
    }
}

std::optional<QRect> SkinFrame::captionButtonRect(const QWidget* window,
                                                  CaptionButton button) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->captionButtonRect(button) : std::nullopt;
}

std::optional<QRect> SkinFrame::tabRect(const QWidget* window, const QString& title) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->tabRect(title) : std::nullopt;
}

QRect SkinFrame::contentRect(const QWidget* window) const {
    const FramedWindow* framed = m_impl->find(window);
    return framed ? framed->contentRect() : QRect();
}

}  // namespace lanzhou::skin
