#include "client/settings/colour_box.h"

#include <QColorDialog>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <array>
#include <utility>

namespace lanzhou::settings {
namespace {

struct NamedColour {
    const char* name;  // UTF-8
    QRgb rgb;
};

constexpr std::array<NamedColour, 16> kStandardColours{{
    {"黑色", 0x000000},
    {"栗色", 0x800000},
    {"绿色", 0x008000},
    {"橄榄色", 0x808000},
    {"藏青色", 0x000080},
    {"紫色", 0x800080},
    {"青色", 0x008080},
    {"灰色", 0x808080},
    {"银色", 0xC0C0C0},
    {"红色", 0xFF0000},
    {"亮绿色", 0x00FF00},
    {"黄色", 0xFFFF00},
    {"蓝色", 0x0000FF},
    {"品红色", 0xFF00FF},
    {"水绿色", 0x00FFFF},
    {"白色", 0xFFFFFF},
}};

constexpr int kSwatchSize = 12;

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(QColor(Qt::darkGray));
    painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    return QIcon(pixmap);
}

QColor askForColour(QWidget* parent, const QColor& initial) {
    return QColorDialog::getColor(initial, parent, QStringLiteral("选择皮肤颜色"));
}

}  // namespace

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent), m_chooser(askForColour) {
    setIconSize(QSize(kSwatchSize, kSwatchSize));
    for (const NamedColour& each : kStandardColours) {
        const QColor colour = QColor::fromRgb(each.rgb);
        addItem(swatch(colour), QString::fromUtf8(each.name), colour);
    }
    addItem(QStringLiteral("自定义..."));
    connect(this, &QComboBox::activated, this, &ColourBox::entryActivated);
}

void ColourBox::setCustomChooser(CustomChooser chooser) {
    m_chooser = std::move(chooser);
}

QColor ColourBox::currentColour() const {
    return currentData().value<QColor>();
}

void ColourBox::entryActivated(int index) {
    if (index != customEntryIndex()) {
        m_shownIndex = index;
        emit colourChosen(currentColour());
        return;
    }
    // The dialog runs a nested event loop: the box may be gone after it.
    const QPointer<ColourBox> self(this);
    const QColor initial = itemData(m_shownIndex).value<QColor>();
    const QColor chosen = m_chooser ? m_chooser(this, initial) : QColor();
    if (!self) {
        return;
    }
    if (!chosen.isValid()) {
        setCurrentIndex(m_shownIndex);
        return;
    }
    keepCustomColour(chosen);
    emit colourChosen(chosen);
}

void ColourBox::keepCustomColour(const QColor& colour) {
    if (!m_hasCustomEntry) {
        insertItem(customEntryIndex(), QString());
        m_hasCustomEntry = true;
    }
    const int index = customEntryIndex() - 1;
    setItemIcon(index, swatch(colour));
    setItemText(index, colour.name());
    setItemData(index, colour);
    setCurrentIndex(index);
    m_shownIndex = index;
}

}  // namespace lanzhou::settings
