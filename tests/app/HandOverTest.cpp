// A start handed over to the running Filewright, and the panel's "Open
// Filewright", bring the main window to the front. While a sheet or a dialog
// of the whole application blocks it, that window comes with it and takes
// the keys: Qt drops every key sent to the blocked window.
#include "AppModel.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "Store.h"
#include "TestWindows.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Counts the key presses the platform delivers to a window.
class KeysDelivered : public QObject
{
public:
    explicit KeysDelivered(QWindow *window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

bool hasKeyboard(const QWidget &window)
{
    return QGuiApplication::focusWindow() == window.windowHandle();
}

// With the keys in another application's window, brings the main window to
// the front: by a start handed over, or by the panel.
void bringMainWindow(FilewrightApp &app, bool byPanel)
{
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(elsewhere); }));
    if (byPanel) {
        app.showPanel();
        app.panel().findChild<QPushButton *>(QStringLiteral("openMainWindow"))->click();
    } else {
        app.activate({QStringLiteral("filewright")});
    }
}

// The window that blocks the main window has the keyboard, its focus and
// the keys that come.
void expectKeysIn(QWidget *blocking)
{
    ASSERT_NE(blocking, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*blocking); }))
        << "keys go to " << (QGuiApplication::focusWindow() ? qPrintable(QGuiApplication::focusWindow()->objectName()) : "none");
    EXPECT_EQ(QApplication::activeWindow(), blocking);
    const QWidget *focused = QApplication::focusWidget();
    EXPECT_TRUE(focused && focused->window() == blocking);
    const auto *keys = new KeysDelivered(blocking->windowHandle());
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Tab);
    EXPECT_EQ(keys->count, 1);
}

} // namespace

TEST(HandOverTest, TheSheetOrDialogThatBlocksTheMainWindowComesWithItAndTakesTheKeys)
{
    // The sheets as TestWindows opens them, and the folder chooser.
    const QStringList blocking{QStringLiteral("editor"),     QStringLiteral("dry-run"), QStringLiteral("review"),
                               QStringLiteral("palette"),    QStringLiteral("onboarding"),
                               QStringLiteral("folder chooser")};
    for (const QString &where : blocking) {
        for (const bool byPanel : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(where, byPanel ? u"panel" : u"hand-over").toStdString());
            QTemporaryDir dir;
            FilewrightApp app(Store::open(dir.filePath(QStringLiteral("handover.store"))), [] { return false; });
            app.showMainWindow();
            ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(app.mainWindow()); }));
            if (where != u"folder chooser") {
                ASSERT_NE(TestWindows::open(app, where), nullptr);
                bringMainWindow(app, byPanel);
                expectKeysIn(QApplication::activeModalWidget());
                continue;
            }
            bool seen = false;
            QTimer::singleShot(0, [&] {
                QWidget *chooser = QApplication::activeModalWidget();
                const auto close = qScopeGuard([chooser] {
                    if (auto *dialog = qobject_cast<QDialog *>(chooser))
                        dialog->reject();
                });
                ASSERT_NE(chooser, nullptr);
                ASSERT_EQ(chooser->windowModality(), Qt::ApplicationModal);
                ASSERT_TRUE(QTest::qWaitFor([&] { return hasKeyboard(*chooser); }));
                seen = true;
                bringMainWindow(app, byPanel);
                expectKeysIn(chooser);
            });
            EXPECT_FALSE(app.model().chooseFolder(true));
            EXPECT_TRUE(seen);
        }
    }
}
