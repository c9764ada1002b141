// Drives a modal dialog from inside the event loop that its exec() runs:
// once a modal widget of type T is up, `drive` types into it and closes it.
// A different modal dialog is rejected, so a failing test cannot hang.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace gz::testing {

template <class T>
void whenModal(std::function<void(T*)> drive)
{
    QTimer::singleShot(0, [drive] {
        T* dialog = nullptr;
        (void)QTest::qWaitFor([&] { return (dialog = qobject_cast<T*>(QApplication::activeModalWidget())) != nullptr; },
                        5000);
        if (!dialog) {
            ADD_FAILURE() << "the expected modal dialog did not open";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                other->reject();
            return;
        }
        drive(dialog);
    });
}

}  // namespace gz::testing
