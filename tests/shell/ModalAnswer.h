#pragma once
// Answering a modal dialog from inside its own event loop. A check that fails in the
// answer records the failure and closes the dialog at once, so exec() returns and the
// test fails instead of waiting for the time-out; so does a dialog of another kind.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

namespace quillory::test {

template <typename Dialog, typename Answer>
void AnswerNextModal(Answer answer, const char* file, int line) {
    QTimer::singleShot(0, [answer, file, line] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            answer(dialog);
        } else {
            QTest::qFail(modal ? "another dialog is open" : "no dialog is open", file, line);
        }
        if (QTest::currentTestFailed() && modal && modal->isVisible()) {
            if (auto* box = qobject_cast<QDialog*>(modal)) box->reject();
            else modal->close();
        }
    });
}

}  // namespace quillory::test

// The answer is a lambda taking the dialog; QVERIFY and QCOMPARE may be used inside it.
#define ANSWER_NEXT_MODAL(DialogType, ...) quillory::test::AnswerNextModal<DialogType>(__VA_ARGS__, __FILE__, __LINE__)
// After the command that showed the dialog: stop when the answer failed.
#define RETURN_IF_ANSWER_FAILED() \
    do {                          \
        if (QTest::currentTestFailed()) return; \
    } while (0)
