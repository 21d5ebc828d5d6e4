// The onboarding sheet with a Downloads and a Desktop folder watched, shown
// and active, taking real key presses through its window, in the language
// the run speaks (English, or German with LANGUAGE=de).
#pragma once

#include "AppModel.h"
#include "OnboardingView.h"
#include "Prefs.h"
#include "Store.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>

class OnboardingFixture : public ::testing::Test
{
public:
    // Whether window became active and took the focus it opens with; the
    // events its showing and activation posted are all handled.
    static bool opened(QWidget *window)
    {
        if (!QTest::qWaitForWindowActive(window)
            || !QTest::qWaitFor([window] { return QApplication::focusWidget() == window; }))
            return false;
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        return QApplication::focusWidget() == window;
    }

protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("onboarding.store"))));
        model->setFolderChooser([this](bool, const QString &) { return answer; });
        Prefs::setValue(QStringLiteral("onboarded"), false);
        for (const char *name : {"Downloads", "Desktop"}) {
            answer = dir.filePath(QString::fromLatin1(name));
            QDir().mkpath(answer);
            ASSERT_TRUE(model->chooseFolder(true));
        }
        answer.clear();
    }

    static bool german() { return qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de")); }

    // A new sheet, shown and active, with the focus on itself as it opens;
    // false when it never came so far.
    bool open()
    {
        view = std::make_unique<OnboardingView>(*model);
        view->show();
        view->activateWindow();
        return opened(view.get());
    }


    QPushButton *button(const char *name) const { return view->findChild<QPushButton *>(QString::fromLatin1(name)); }

    // A key pressed and let go on the keyboard, delivered to the sheet's window.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(view->windowHandle(), key, modifiers);
    }

    // Tab pressed until the focus is on target (at most a round of the sheet).
    bool tabTo(const QWidget *target) const
    {
        for (int i = 0; i < 20 && QApplication::focusWidget() != target; ++i)
            press(Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    }

    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<OnboardingView> view;
    QString answer;
};
