#include "ui/skin/frame_accessibility.h"

#include "ui/skin/framed_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <utility>

namespace lanzhou::skin {

QString captionButtonName(CaptionButton button) {
    switch (button) {
        case CaptionButton::Help:
            return QStringLiteral("帮助");
        case CaptionButton::MainMenu:
            return QStringLiteral("主菜单");
        case CaptionButton::Minimize:
            return QStringLiteral("最小化");
        case CaptionButton::Maximize:
            return QStringLiteral("最大化");
        case CaptionButton::Restore:
            return QStringLiteral("还原");
        case CaptionButton::Close:
            return QStringLiteral("关闭");
    }
    return {};
}

namespace frame_accessibility {
namespace {

using Element = CaptionControls::Element;

// The framed windows by their window.
QHash<const QObject*, FramedWindow*>& framedWindows() {
    static QHash<const QObject*, FramedWindow*> windows;
    return windows;
}

// The frame of a live window: a frame outlives its window until its deferred
// deletion, and another object may by then live at the same address.
FramedWindow* framedOf(const QObject* window) {
    FramedWindow* framed = window ? framedWindows().value(window, nullptr) : nullptr;
    return framed && framed->window() == window ? framed : nullptr;
}

// An element kept apart from its place in the list, which changes when the
// caption buttons are set again: a caption button by its id, a tab by its
// place among the tabs, the status bar by a key of its own.
constexpr int kFirstTabKey = 100;
constexpr int kStatusBarKey = 1000;

int keyOf(const CaptionControls& controls, qsizetype index) {
    const Element& element = controls[index];
    if (element.kind == Element::Kind::Button) {
        return int(element.button);
    }
    int tab = 0;
    for (qsizetype i = 0; i < index; ++i) {
        tab += controls[i].kind == Element::Kind::Tab ? 1 : 0;
    }
    return kFirstTabKey + tab;
}

// The visible element with this key, as its index in the list.
std::optional<qsizetype> indexOf(const CaptionControls& controls, int key) {
    for (qsizetype i = 0; i < controls.elements().size(); ++i) {
        if (controls[i].visible && keyOf(controls, i) == key) {
            return i;
        }
    }
    return std::nullopt;
}

// The keys of what a framed window shows, in reading order: caption buttons
// and tabs top to bottom, left to right, then the status bar.
QList<int> keysOf(const FramedWindow& framed) {
    const CaptionControls& controls = framed.controls();
    QList<qsizetype> shown;
    for (qsizetype i = 0; i < controls.elements().size(); ++i) {
        if (controls[i].visible) {
            shown << i;
        }
    }
    std::stable_sort(shown.begin(), shown.end(), [&](qsizetype a, qsizetype b) {
        const QRect& left = controls[a].rect;
        const QRect& right = controls[b].rect;
        return std::pair(left.top(), left.left()) < std::pair(right.top(), right.left());
    });
    QList<int> keys;
    for (qsizetype index : shown) {
        keys << keyOf(controls, index);
    }
    if (framed.hasStatusBar()) {
        keys << kStatusBarKey;
    }
    return keys;
}

QRect onScreen(const QWidget& window, const QRect& rect) {
    return QRect(window.mapToGlobal(rect.topLeft()), rect.size());
}

// One caption button, tab or the status bar of a framed window.
class FrameElementAccessible final : public QAccessibleInterface,
                                     public QAccessibleActionInterface {
public:
    FrameElementAccessible(QWidget* window, int key) : m_window(window), m_key(key) {}

    int key() const { return m_key; }
    const QWidget* frameWindow() const { return m_window; }

    bool isValid() const override {
        const FramedWindow* framed = framedOf(m_window);
        if (!framed) {
            return false;
        }
        return isStatusBar() ? framed->hasStatusBar()
                             : indexOf(framed->controls(), m_key).has_value();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_window ? m_window->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_window.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) {
            return {};
        }
        const FramedWindow* framed = framedOf(m_window);
        if (!framed) {
            return {};
        }
        if (isStatusBar()) {
            return framed->statusText();
        }
        const std::optional<qsizetype> index = indexOf(framed->controls(), m_key);
        if (!index) {
            return {};
        }
        const Element& element = framed->controls()[*index];
        return element.kind == Element::Kind::Tab ? element.title
                                                  : captionButtonName(element.button);
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const FramedWindow* framed = framedOf(m_window);
        if (!framed) {
            return {};
        }
        if (isStatusBar()) {
            return onScreen(*m_window, framed->statusBarRect());
        }
        const std::optional<qsizetype> index = indexOf(framed->controls(), m_key);
        return index ? onScreen(*m_window, framed->controls()[*index].rect) : QRect();
    }

    QAccessible::Role role() const override {
        if (isStatusBar()) {
            return QAccessible::StatusBar;
        }
        return m_key >= kFirstTabKey ? QAccessible::PageTab : QAccessible::Button;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        const FramedWindow* framed = framedOf(m_window);
        if (!framed || !isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = !m_window->isVisible();
        if (isStatusBar()) {
            state.readOnly = true;
            return state;
        }
        const CaptionControls& controls = framed->controls();
        const qsizetype index = *indexOf(controls, m_key);
        state.pressed = controls.pressed == index;
        state.hotTracked = controls.hover == index;
        if (m_key >= kFirstTabKey) {
            state.selectable = true;
            state.selected = controls.selected == index;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface && !isStatusBar()) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    QStringList actionNames() const override {
        return isStatusBar() ? QStringList() : QStringList{pressAction()};
    }
    void doAction(const QString& actionName) override {
        if (actionName != pressAction() || isStatusBar()) {
            return;
        }
        FramedWindow* framed = framedOf(m_window);
        if (!framed) {
            return;
        }
        // Queued, as a click is: the press may close or delete the window,
        // and with it this interface.
        QMetaObject::invokeMethod(
            framed,
            [framed, key = m_key] {
                if (const std::optional<qsizetype> index = indexOf(framed->controls(), key)) {
                    framed->press(*index);
                }
            },
            Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    bool isStatusBar() const { return m_key == kStatusBarKey; }

    QPointer<QWidget> m_window;
    int m_key;
};

// A framed window: its widgets' interface with the frame's elements first.
class FramedWindowAccessible final : public QAccessibleWidget {
public:
    explicit FramedWindowAccessible(QWidget* window)
        : QAccessibleWidget(
              window, qobject_cast<QDialog*>(window) ? QAccessible::Dialog : QAccessible::Window) {}

    ~FramedWindowAccessible() override {
        for (QAccessible::Id id : std::as_const(m_elements)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return int(keys().size()) + QAccessibleWidget::childCount(); }

    QAccessibleInterface* child(int index) const override {
        const QList<int> elementKeys = keys();
        if (index < 0) {
            return nullptr;
        }
        if (index < elementKeys.size()) {
            return element(elementKeys[index]);
        }
        return QAccessibleWidget::child(index - int(elementKeys.size()));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const QList<int> elementKeys = keys();
        if (const auto* frameElement = dynamic_cast<const FrameElementAccessible*>(child)) {
            return frameElement->frameWindow() == widget()
                       ? int(elementKeys.indexOf(frameElement->key()))
                       : -1;
        }
        const int own = QAccessibleWidget::indexOfChild(child);
        return own < 0 ? -1 : own + int(elementKeys.size());
    }

    // The element's interface, made once and kept until the window goes.
    QAccessibleInterface* element(int key) const {
        if (const QAccessible::Id id = m_elements.value(key, 0)) {
            if (QAccessibleInterface* known = QAccessible::accessibleInterface(id)) {
                return known;
            }
        }
        auto* made = new FrameElementAccessible(widget(), key);
        m_elements.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    QAccessibleInterface* existingElement(int key) const {
        const QAccessible::Id id = m_elements.value(key, 0);
        return id ? QAccessible::accessibleInterface(id) : nullptr;
    }

private:
    QList<int> keys() const {
        const FramedWindow* framed = framedOf(widget());
        return framed ? keysOf(*framed) : QList<int>();
    }

    mutable QHash<int, QAccessible::Id> m_elements;
};

QAccessibleInterface* framedWindowFactory(const QString& /*key*/, QObject* object) {
    if (framedOf(object) && object->isWidgetType()) {
        return new FramedWindowAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

}  // namespace

void expose(FramedWindow& framed) {
    static const bool installed = [] {
        QAccessible::installFactory(framedWindowFactory);
        return true;
    }();
    (void)installed;
    QWidget* window = framed.window();
    if (!window) {
        return;
    }
    framedWindows().insert(window, &framed);
    // An interface made before the window was framed knows nothing of the
    // frame: the next query makes the framed one.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(window);
    if (existing && !dynamic_cast<FramedWindowAccessible*>(existing)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
    }
}

void withdraw(FramedWindow& framed) {
    auto& windows = framedWindows();
    for (auto it = windows.begin(); it != windows.end();) {
        it = it.value() == &framed ? windows.erase(it) : std::next(it);
    }
}

namespace {

// Only an element someone has read is told about: nobody else holds it.
void tell(FramedWindow& framed, int key, QAccessible::Event type) {
    QWidget* window = framed.window();
    if (!window) {
        return;
    }
    auto* windowInterface =
        dynamic_cast<FramedWindowAccessible*>(QAccessible::queryAccessibleInterface(window));
    if (!windowInterface) {
        return;
    }
    if (QAccessibleInterface* element = windowInterface->existingElement(key)) {
        QAccessibleEvent event(element, type);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace

void statusTextChanged(FramedWindow& framed) {
    tell(framed, kStatusBarKey, QAccessible::NameChanged);
}

void tabSelected(FramedWindow& framed, qsizetype index) {
    tell(framed, keyOf(framed.controls(), index), QAccessible::Selection);
}

}  // namespace frame_accessibility
}  // namespace lanzhou::skin
