#pragma once

#include <QDialog>

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::app {

// Stands in for a window of the client that this build does not have yet
// (registration, recharge, account service, settings): a small skinned
// dialog naming it.
class PlaceholderWindow final : public QDialog {
    Q_OBJECT

public:
    PlaceholderWindow(skin::SkinFrame& frame, const QString& title, QWidget* parent = nullptr);
};

}  // namespace lanzhou::app
