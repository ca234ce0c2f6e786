#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

namespace lanzhou::test {

// Stands in for the desktop's opener while it exists: an `xdg-open` first on
// PATH that records the one argument it is started with, byte for byte.
class FakeDesktopOpener final {
public:
    FakeDesktopOpener() : m_oldPath(qgetenv("PATH")) {
        const QString script = m_folder.filePath(QStringLiteral("xdg-open"));
        QFile file(script);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\nprintf '%s\\0' \"$1\" >> '" + record().toUtf8() + "'\n");
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_folder.path().toUtf8() + ':' + m_oldPath);
    }
    ~FakeDesktopOpener() { qputenv("PATH", m_oldPath); }
    FakeDesktopOpener(const FakeDesktopOpener&) = delete;
    FakeDesktopOpener& operator=(const FakeDesktopOpener&) = delete;

    // The texts handed over so far (UTF-8), once there are at least `count`
    // (or after a few seconds), oldest first.
    std::vector<std::string> opened(std::size_t count) const {
        std::vector<std::string> texts;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                texts = read();
                return texts.size() >= count;
            },
            10'000));
        return texts;
    }

private:
    QString record() const { return m_folder.filePath(QStringLiteral("opened")); }

    std::vector<std::string> read() const {
        QFile file(record());
        std::vector<std::string> texts;
        if (!file.open(QIODevice::ReadOnly)) {
            return texts;
        }
        const QByteArray bytes = file.readAll();
        for (const QByteArray& text : bytes.split('\0')) {
            texts.push_back(text.toStdString());
        }
        texts.pop_back();  // after the last terminator
        return texts;
    }

    QTemporaryDir m_folder;
    QByteArray m_oldPath;
};

}  // namespace lanzhou::test
