#pragma once

#include <QString>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

#include <gtest/gtest.h>

namespace lanzhou::test {

// How long a page may take; the first page of a process starts the engine.
inline constexpr int kPageWait = 30'000;

// The text the page shows (its plain text), or an empty text and a test
// failure when the engine does not answer.
inline QString plainText(QWebEngineView& view) {
    std::optional<QString> text;
    view.page()->toPlainText([&text](const QString& value) { text = value; });
    if (!QTest::qWaitFor([&text] { return text.has_value(); }, kPageWait)) {
        ADD_FAILURE() << "no text from the page";
        return {};
    }
    return *text;
}

// Runs a script in the page and waits for its value.
inline QVariant evaluate(QWebEngineView& view, const QString& script) {
    std::optional<QVariant> result;
    view.page()->runJavaScript(script, [&result](const QVariant& value) { result = value; });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, kPageWait)) {
        ADD_FAILURE() << "no answer to " << script.toStdString();
        return {};
    }
    return *result;
}

}  // namespace lanzhou::test
