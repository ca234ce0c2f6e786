#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>

namespace lanzhou::display {

// Home and End in a list of whole rows go to the first and the last row (a
// table view alone moves them along the current row's columns); the
// selection follows as it does for the arrows. Lives as a child of the view.
class RowListKeys final : public QObject {
public:
    explicit RowListKeys(QAbstractItemView* view) : QObject(view), m_view(view) {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_view || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool home = key->key() == Qt::Key_Home;
        if ((!home && key->key() != Qt::Key_End) || key->modifiers() != Qt::NoModifier) {
            return false;
        }
        const QAbstractItemModel* model = m_view->model();
        if (!model || model->rowCount() == 0) {
            return true;
        }
        const int column = m_view->currentIndex().isValid() ? m_view->currentIndex().column() : 0;
        const QModelIndex target = model->index(home ? 0 : model->rowCount() - 1, column);
        m_view->setCurrentIndex(target);
        m_view->scrollTo(target);
        return true;
    }

private:
    QAbstractItemView* m_view;
};

}  // namespace lanzhou::display
