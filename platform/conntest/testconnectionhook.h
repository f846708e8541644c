#pragma once

#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace conntest {

class IConnectionTester;

// What the Data Link dialog calls when "Test Connection" is pressed.
using TestConnectionHook = std::function<void(const QString &connectionString, QWidget *dialog)>;

// Returns at once: the test runs on a worker thread behind a progress dialog, window-modal to
// `dialog`, whose Cancel stops the waiting; the result comes in a message box over `dialog`.
// A press while a test runs is ignored.
TestConnectionHook makeTestConnectionHook(std::shared_ptr<IConnectionTester> tester);
// The same with this machine's drivers.
TestConnectionHook makeTestConnectionHook();

} // namespace conntest
