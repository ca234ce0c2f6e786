#pragma once

// What the screenshot tours share: saving a window as the screen shows it,
// and waiting on the event loop for a condition.

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>

namespace lanzhou::tools {

// Grabs `window` with its frame from the screen into DIRECTORY/NAME.png and
// prints the path; false (said on standard error) when it is not shown or
// the file cannot be written.
inline bool save(QWidget* window, const QString& directory, const QString& name) {
    const QByteArray program = QCoreApplication::applicationName().toLocal8Bit();
    if (window == nullptr || !window->isVisible()) {
        std::fprintf(stderr, "%s: %s is not shown\n", program.constData(), qPrintable(name));
        return false;
    }
    const QRect area = window->frameGeometry();
    const QPixmap picture =
        window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = QDir(directory).filePath(name + QStringLiteral(".png"));
    if (!picture.save(path)) {
        std::fprintf(stderr, "%s: cannot write %s\n", program.constData(), qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    return true;
}

// Runs `work` once `ready` holds, looking every `intervalMs` up to `attempts`
// times; gives up with exit status 1.
inline void when(std::function<bool()> ready, std::function<void()> work, int intervalMs = 100,
                 int attempts = 200) {
    QTimer::singleShot(intervalMs, [ready = std::move(ready), work = std::move(work), intervalMs,
                                    attempts]() mutable {
        if (ready()) {
            work();
        } else if (attempts > 0) {
            when(std::move(ready), std::move(work), intervalMs, attempts - 1);
        } else {
            std::fprintf(stderr, "%s: gave up waiting\n",
                         QCoreApplication::applicationName().toLocal8Bit().constData());
            QCoreApplication::exit(1);
        }
    });
}

}  // namespace lanzhou::tools
