#include "SelfTestScenario.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "Prefs.h"
#include "RealHome.h"
#include "SelfTest.h"
#include "Store.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {

// Writes a test file, replacing one of that name; a failed write shows up in
// the checks that need the file.
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// Empties the home folder: only the folder that resolved strictly below the
// temporary folder is ever removed.
void clearHome()
{
    const std::optional<QString> folder = TestEnvironment::home();
    if (!folder)
        return;
    QDir(*folder).removeRecursively();
    QDir().mkpath(*folder);
}

Condition condition(Condition::Field field, Condition::Operator op, const QString &value)
{
    Condition condition;
    condition.id = QUuid::createUuid();
    condition.field = field;
    condition.op = op;
    condition.value = value;
    return condition;
}

RuleAction action(RuleAction::Kind kind, const QString &value)
{
    RuleAction action;
    action.id = QUuid::createUuid();
    action.kind = kind;
    action.value = value;
    return action;
}

} // namespace

SelfTestScenario::SelfTestScenario(AppModel &model, SelfTest &test, QObject *parent)
    : SelfTestScenario(model, test, RealHome::lookUp(), parent)
{
}

SelfTestScenario::SelfTestScenario(AppModel &model, SelfTest &test, const QString &home, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_test(test)
    , m_store(model.store())
    , m_autopilot(model.autopilot())
    , m_home(QDir::cleanPath(home))
    , m_downloads(m_home + QStringLiteral("/Downloads"))
    , m_documents(m_home + QStringLiteral("/Documents"))
    , m_rule(scenarioRule())
{
}

Rule SelfTestScenario::scenarioRule()
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("PDFs");
    rule.conditions = {condition(Condition::Field::fileType, Condition::Operator::is, QStringLiteral("pdf")),
                       condition(Condition::Field::name, Condition::Operator::contains, QStringLiteral("beleg"))};
    rule.actions = {action(RuleAction::Kind::rename, QStringLiteral("{original} geprüft")),
                    action(RuleAction::Kind::move, QStringLiteral("~/Documents/Ablage/{jahr}")),
                    action(RuleAction::Kind::tag, QStringLiteral("Filewright"))};
    rule.isEnabled = true;
    rule.createdFromPrompt = std::nullopt;
    return rule;
}

void SelfTestScenario::run()
{
    QTimer::singleShot(startDelayMs, this, &SelfTestScenario::setUp);
}

QString SelfTestScenario::downloadsFile(const QString &name) const
{
    return m_downloads + QLatin1Char('/') + name;
}

void SelfTestScenario::setUp()
{
    // Cleared first: the run's own settings may live in the test home.
    clearHome();
    Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), 1.0);
    QDir().mkpath(m_downloads);
    QDir().mkpath(m_documents);

    m_folder = m_autopilot.addFolder(m_downloads, true);
    m_autopilot.addFolder(m_documents, false);

    m_test.check(QStringLiteral("a watched folder is stored with a bookmark"), m_folder && !m_folder->bookmark.isEmpty());
    m_test.check(QStringLiteral("writing below a granted place is allowed"),
                 m_autopilot.canWrite(m_documents + QStringLiteral("/Belege/2026")));
    m_test.check(QStringLiteral("writing elsewhere is not"), !m_autopilot.canWrite(QStringLiteral("/tmp/elsewhere")));

    const std::optional<QUuid> folderID = m_folder ? std::optional<QUuid>(m_folder->uuid) : std::nullopt;
    m_model.save(AppModel::Editing{QUuid::createUuid(), m_rule, folderID, true});

    const QList<StoredRule> rules = m_store.rules();
    m_test.check(QStringLiteral("a new rule is saved"),
                 rules.size() == 1 && rules.constFirst().rule().name == QLatin1String("PDFs"));
    m_test.check(QStringLiteral("the sentence names the folder"),
                 m_model.sentence(m_rule, folderID).contains(QLatin1String("Downloads")));
    m_test.check(QStringLiteral("a rule without recognition needs no model"), !m_rule.usesRecognition());

    writeFile(downloadsFile(QStringLiteral("Beleg Tankstelle.pdf")), QByteArrayLiteral("%PDF-1.4 test"));
    writeFile(downloadsFile(QStringLiteral("Notiz.txt")), QByteArrayLiteral("x"));

    tally();
}

void SelfTestScenario::tally()
{
    m_test.tally();
}
