#pragma once

#include <QColor>
#include <QComboBox>

#include <functional>

namespace lanzhou::settings {

// A drop-down of the standard colours, each shown with a swatch, and
// "自定义..." at the end, which asks for any colour and keeps it as an extra
// entry. It starts on its first colour and applies nothing by itself:
// colourChosen is emitted whenever the member picks an entry, the one already
// shown included.
class ColourBox final : public QComboBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColourBox)

public:
    // Asks for a colour; an invalid colour when the member cancels.
    using CustomChooser = std::function<QColor(QWidget* parent, const QColor& initial)>;

    explicit ColourBox(QWidget* parent = nullptr);

    // Replaces the colour dialog behind "自定义..." (tests answer it).
    void setCustomChooser(CustomChooser chooser);

    // The colour of the entry shown.
    QColor currentColour() const;
    // The index of "自定义...".
    int customEntryIndex() const { return count() - 1; }

signals:
    void colourChosen(const QColor& colour);

private:
    void entryActivated(int index);
    void keepCustomColour(const QColor& colour);

    CustomChooser m_chooser;
    int m_shownIndex = 0;  // the entry to return to when the custom dialog is cancelled
    bool m_hasCustomEntry = false;
};

}  // namespace lanzhou::settings
