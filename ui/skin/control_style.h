#pragma once

#include <QProxyStyle>

namespace lanzhou::skin {

struct FrameLook;

// The look of restyled child controls: push buttons as rounded gradients in
// the frame colour family, crisp check box and radio indicators, edits with a
// one-pixel border in the frame colour (stronger with the focus), all on the
// control background colour. A button's state comes from its
// Vuziz_DrawState property (0 normal, 1 hover, 2 pressed). One instance is
// shared by every restyled control.
class ControlStyle final : public QProxyStyle {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ControlStyle)

public:
    explicit ControlStyle(const FrameLook& look);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void polish(QWidget* widget) override;
    using QProxyStyle::polish;

private:
    void drawButtonPanel(const QStyleOption* option, QPainter* painter,
                         const QWidget* widget) const;
    void drawCheckIndicator(const QStyleOption* option, QPainter* painter, const QWidget* widget,
                            bool radio) const;
    void drawEditFrame(const QStyleOption* option, QPainter* painter, const QWidget* widget,
                       bool fill) const;

    const FrameLook& m_look;
};

}  // namespace lanzhou::skin
