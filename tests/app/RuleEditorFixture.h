// An AppModel over a fresh test store, with watched folders under the test's
// home, for the tests of the rule editor the describe field and the rows (their helpers).
#pragma once

#include "AppModel.h"
#include "Autopilot.h"
#include "FakeModelServer.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using Field = Condition::Field;
using Op = Condition::Operator;
using Kind = RuleAction::Kind;

inline Condition condition(Field field, Op op, const QString &value)
{
    return Condition{QUuid::createUuid(), field, op, value};
}

inline RuleAction action(Kind kind, const QString &value)
{
    return RuleAction{QUuid::createUuid(), kind, value};
}

class RuleEditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), false);
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("rules.store"))));
    }

    void TearDown() override
    {
        model.reset();
        server.reset();
    }

    // Makes the model available through a fake server of the test's own.
    FakeModelServer &useModel()
    {
        server = std::make_unique<FakeModelServer>();
        qputenv("APP_MODEL_URL", server->baseUrl().toString().toUtf8());
        Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), true);
        model->autopilot().refreshModelStatus();
        EXPECT_TRUE(model->autopilot().modelStatus().isAvailable());
        return *server;
    }

    // A folder under the home, watched or a place.
    WatchedFolder folder(const QString &name, bool watched = true)
    {
        const QString path = RealHome::path() + QLatin1Char('/') + name;
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return *model->autopilot().addFolder(path, watched);
    }

    static Rule rule(const QString &name, QList<Condition> conditions, QList<RuleAction> actions)
    {
        return Rule{QUuid::createUuid(), name, std::move(conditions), std::move(actions), false, std::nullopt};
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    const ScopedEnv modelUrl{"APP_MODEL_URL"};
    QTemporaryDir dir;
    std::unique_ptr<FakeModelServer> server;
    std::unique_ptr<AppModel> model;
};
